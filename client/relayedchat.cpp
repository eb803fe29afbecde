#include "relayedchat.h"

#include "chatview.h"

RelayedChat RelayedChat::parse(const QByteArray &body)
{
    ChatPayload payload = ChatPayload::parse(QString::fromUtf8(body));
    const qsizetype plus = payload.text.indexOf(QLatin1Char('+'));
    bool numeric = false;
    const int seat = payload.text.left(qMax<qsizetype>(plus, 0)).toInt(&numeric);
    payload.text = payload.text.mid(plus + 1);
    if (plus < 0 || !numeric || seat == 0) {
        payload.text = ChatView::withoutDirectionControls(payload.text);
        return {0, payload};
    }
    return {seat, payload};
}
