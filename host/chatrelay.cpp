#include "chatrelay.h"

#include "announcements.h"
#include "protocol.h"
#include "protocollimits.h"

#include <string>

ChatRelay::ChatRelay(Broadcast broadcast, SendTo sendTo)
    : m_broadcast(std::move(broadcast))
    , m_sendTo(std::move(sendTo))
{
}

void ChatRelay::sendStatus(int entry, const QByteArray &text) const
{
    m_sendTo(entry, protocol::Chat::relay(0, text + "|clBlue").build());
}

void ChatRelay::refuseLongText(int sender, const char *what, qsizetype bytes, qsizetype limit) const
{
    sendStatus(sender, QByteArray("Your ") + what + " was not sent: it is longer than the game sends.");
    throw protocol::ProtocolError(std::string(what) + " of " + std::to_string(bytes) + " bytes (at most "
                                  + std::to_string(limit) + ")");
}

void ChatRelay::relay(int sender, const QByteArray &message, double nowMs)
{
    if (message.size() > limits::MaxMessageBytes)
        throw protocol::ProtocolError("its relay would be " + std::to_string(message.size())
                                      + " bytes, longer than a client accepts");
    const RelayBudget::Verdict verdict = m_budget.charge(sender, message.size(), nowMs);
    if (verdict == RelayBudget::Verdict::DropAndTell)
        sendStatus(sender, "You are sending faster than the others can follow: "
                           "some of your chat did not go out. Wait a moment.");
    if (verdict != RelayBudget::Verdict::Send)
        throw protocol::ProtocolError("its relays go out faster than "
                                      + std::to_string(RelayBudget::BytesPerSecond) + " bytes a second");
    m_broadcast(message);
}

void ChatRelay::chat(const protocol::ChatRequest &request, const QByteArray &name, double nowMs)
{
    if (request.payload.size() > limits::MaxChatPayloadBytes)
        refuseLongText(request.seat, "chat line", request.payload.size(), limits::MaxChatPayloadBytes);
    relay(request.seat, protocol::Chat::relay(request.seat, name + " chats: " + request.payload).build(), nowMs);
}

void ChatRelay::action(const protocol::ActionRequest &request, const QByteArray &name, double nowMs)
{
    if (request.payload.size() > limits::MaxChatPayloadBytes)
        refuseLongText(request.seat, "action", request.payload.size(), limits::MaxChatPayloadBytes);
    relay(request.seat, protocol::Action::relay(request.seat, name + " " + request.payload).build(), nowMs);
}

void ChatRelay::sound(const protocol::PlaySoundRequest &request, double nowMs)
{
    // The sound's name and its "+".
    if (request.tail.size() > limits::MaxSoundNameBytes + 1)
        refuseLongText(request.seat, "chatter sound", request.tail.size(), limits::MaxSoundNameBytes + 1);
    relay(request.seat, protocol::PlaySound{request.seat, request.tail}.build(), nowMs);
}
