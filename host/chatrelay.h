// ChatRelay: what the host does with chats, actions and chatter sounds before everyone
// receives them.
#pragma once

#include "relaybudget.h"
#include "requests.h"

#include <QByteArray>
#include <functional>

// Each relay is refused (a ProtocolError, so the dispatcher drops and reports it) when its
// text is longer than the game's own chat box or sound menu makes, when the relay would be
// longer than a client accepts, or when its sender's relay budget is spent; the sender alone
// is told why in a status line. The text is relayed as the bytes that came, never decoded.
class ChatRelay
{
public:
    using Broadcast = std::function<void(const QByteArray &message)>;
    using SendTo = std::function<void(int entry, const QByteArray &message)>;

    ChatRelay(Broadcast broadcast, SendTo sendTo);

    // A new connection in entry starts with a full budget.
    void reset(int entry, double nowMs) { m_budget.reset(entry, nowMs); }

    // name: the sender's name at the table. nowMs: the host's scaled clock.
    void chat(const protocol::ChatRequest &request, const QByteArray &name, double nowMs);
    void action(const protocol::ActionRequest &request, const QByteArray &name, double nowMs);
    void sound(const protocol::PlaySoundRequest &request, double nowMs);

    // A status line in one participant's chat (a chat line from sender 0).
    void sendStatus(int entry, const QByteArray &text) const;

private:
    void relay(int sender, const QByteArray &message, double nowMs);
    void refuseLongText(int sender, const char *what, qsizetype bytes, qsizetype limit) const;

    Broadcast m_broadcast;
    SendTo m_sendTo;
    RelayBudget m_budget;
};
