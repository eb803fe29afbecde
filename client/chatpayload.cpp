#include "chatpayload.h"

#include "colortext.h"

ChatPayload ChatPayload::parse(const QString &body)
{
    const qsizetype bar = body.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {body, FallbackColor};
    return {body.left(bar), colortext::readOr(body.mid(bar + 1), FallbackColor)};
}

QByteArray ChatPayload::build() const
{
    return text.toUtf8() + '|' + colortext::write(color).toLatin1();
}
