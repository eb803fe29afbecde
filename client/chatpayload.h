// ChatPayload: what a chat or action line carries, "{text}|{colour}".
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

// The text and the sender's colour (colortext's wording). A request carries the payload
// after its seat; the host relays it as it came, with the sender's seat in front.
struct ChatPayload
{
    // The colour of a line without one, or with a colour text that is none.
    static constexpr QColor FallbackColor{255, 0, 0};

    QString text;
    QColor color = FallbackColor;

    // The text is what comes before the first "|" (so a text holding "|" loses the rest,
    // and its colour), the colour is what follows it.
    static ChatPayload parse(const QString &body);
    QByteArray build() const;
    bool operator==(const ChatPayload &) const = default;
};
