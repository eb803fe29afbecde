// ChatLine: one line of the chat transcript, as the client's message code hands it to the view.
#pragma once

#include <QColor>
#include <QString>

// A status line (the client's own words, or the host's) or a line a person at the table
// said. Peer text in name and text comes as the transcript shows it, isolated (see
// ChatView::isolated); the client's own words are plain.
struct ChatLine
{
    // The colour of the client's own status lines.
    static constexpr QColor StatusColor{0, 0, 255};

    enum class Kind { Status, Chat, Action };

    Kind kind = Kind::Status;
    // The sender's entry: 1 to 9 for a person at the table, 0 for a status line. A relay
    // from another entry number keeps it and is shown in the status style.
    int seat = 0;
    // The sender's name heading the line; empty when the line does not start with it.
    QString name;
    QString text;
    QColor color = StatusColor;

    // The words between the sender's name and the text: " chats: " or, for an action, " ".
    static QString joiner(Kind kind)
    {
        return kind == Kind::Action ? QStringLiteral(" ") : QStringLiteral(" chats: ");
    }
    static ChatLine status(const QString &text, const QColor &color = StatusColor)
    {
        return {Kind::Status, 0, QString(), text, color};
    }
    bool operator==(const ChatLine &) const = default;
};
