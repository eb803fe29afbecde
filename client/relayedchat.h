// RelayedChat: a chat or action line as the host relays it, "{seat}+{text}|{colour}".
#pragma once

#include "chatpayload.h"

#include <QByteArray>

// The host puts the sender's seat in front of the payload the sender's request carried;
// its own status lines come from seat 0.
struct RelayedChat
{
    // The sender's number; 0 for a status line: seat 0, a line without "+" or one whose
    // first field is no number.
    int seat = 0;
    // The text after the seat; a status line's text comes without direction controls
    // (ChatView::withoutDirectionControls), the whole line when it had no "+".
    ChatPayload payload;

    // Reads any bytes: the colour is read from after the first "|" of the whole line, the
    // seat from before the first "+" of what precedes it.
    static RelayedChat parse(const QByteArray &body);
    bool operator==(const RelayedChat &) const = default;
};
