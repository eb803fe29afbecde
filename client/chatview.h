// ChatView: the chat transcript mainchat — styled lines, smileys and clickable links.
#pragma once

#include "chatline.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <array>
#include <deque>

class MessageBoxes;
class QAction;
class QMenu;
class QTextBlock;
class QTextBrowser;
class QTextCursor;
class QTimer;
class ShellOpen;

// Lays chat lines out in a read-only QTextBrowser. A line's seat picks one of fifteen text
// styles (0 for status lines, seat + 5 for seats 1 to 9); its text is the sender's name, the
// joiner and what was said, and everything up to its first ":" is the line's prefix run.
// Every run of a line is written in that style, so a style is shared by all
// lines of one sender and a new colour recolours the sender's earlier lines. ":)#nn" in the
// text shows smiley nn - 10; words holding "http://" or "www." become links, remembered in a
// table of 101 entries and opened through the desktop when clicked.
//
// Whatever peers send, the view stays cheap: a colour change restyles only that sender's
// lines, in one pass, gathered with other changes for RestyleDelayMs; a line shows at most MaxLineChars characters and words longer than
// LongWordChars get break opportunities; the transcript keeps at most MaxLines lines.
class ChatView : public QObject
{
    Q_OBJECT
public:
    // One item of a laid-out line: a text run, a link (style 4) or a smiley picture.
    struct Item
    {
        enum Kind { Text, Link, Image };
        Kind kind = Text;
        QString text;
        int style = 0;
        int picture = -1;
        bool operator==(const Item &) const = default;
    };

    static constexpr int StyleCount = 15;
    static constexpr int StatusStyle = 0;
    static constexpr int LinkStyle = 4;
    static constexpr int LinkTableSize = 101;
    static constexpr int SmileyCount = 18;
    static constexpr int FirstSmileyCode = 10;
    static constexpr int DefaultTextSize = 10;
    // Far more than a game's chat; past it the oldest lines go, MaxLines / 10 at a time.
    static constexpr int MaxLines = 3000;
    // A chat box line with its sender's name fits with room to spare.
    static constexpr int MaxLineChars = 4096;
    static constexpr int LongWordChars = 200;
    // A sender's earlier lines take a new colour this long after it arrived, at most once per
    // period, so a sender alternating colours costs little however fast it sends.
    static constexpr int RestyleDelayMs = 100;

    ChatView(QTextBrowser &view, ShellOpen &shell, MessageBoxes &boxes, QObject *parent = nullptr);

    QTextBrowser &view() const { return m_view; }

    // Appends one line in its colour.
    void addLine(const ChatLine &line);
    // Appends a status line in ChatLine::StatusColor.
    void addStatus(const QString &text);
    // The items of the line added last, in order.
    const QList<Item> &lastLine() const { return m_lastLine; }
    // Opens the link the view numbers n (from 0, in the order the links were added).
    void mainchatJump(int n);

    void selectAllText();
    void copySelection();
    // Empties the view; the next link is again stored in entry 0.
    void clearChat();
    void setScrollOff(bool off);
    // Gives the earlier lines of senders whose colour changed their new colour now.
    void restylePending();
    bool scrollOff() const { return m_scrollOff; }

    // Point size of all fifteen styles (8, 10, 12, 14, or what the settings file says).
    void setTextSize(int points);
    int textSize() const { return m_textSize; }
    // The board's scale: the text is drawn that many times its size (on top of the text size).
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }

    // The format of style n (0 to 14); the colour and size are the current ones.
    QTextCharFormat style(int n) const;
    int linkCounter() const { return m_linkCounter; }
    QString link(int entry) const;
    // Lines in the view.
    int lineCount() const { return int(m_nextLine - m_firstLine); }
    // The address a link word opens, without a leading "(" and trailing punctuation: the
    // word for http/https, "http://" in front of a "www." word without a scheme (a port
    // after the host is no scheme), empty for anything else.
    static QString webAddress(const QString &word);
    // The word as shown: a word longer than LongWordChars gets an invisible break
    // opportunity every LongWordChars characters, so its layout stays linear.
    static QString breakable(const QString &word);
    // Text from a peer without direction controls (embeddings, overrides, isolates and
    // marks): a name or chat text cannot reorder the rest of a line or a label with them.
    // Zero-width joiners and variation selectors stay; they are part of emoji.
    static QString withoutDirectionControls(const QString &text);
    // Peer text shown isolated: without direction controls, between a first-strong isolate
    // and its pop, so that whatever direction it runs in, the line around it keeps its order.
    static QString isolated(const QString &text);
    // The smiley picture for a code's two characters: nn - 10 when 10 <= nn <= 27, else 0.
    static int smileyIndex(const QString &digits);

    QMenu *popup_mainchat() const { return m_popup; }
    QAction *ScrollChatOff() const { return m_scrollAction; }

Q_SIGNALS:
    // The "Scroll Chat Off" switch changed (from either menu).
    void scrollOffChanged(bool off);
    // "Clear Main Chat" was chosen in the view's menu; the window puts the focus into the input box.
    void cleared();

private:
    void createPopup();
    void emitWords(QTextCursor &cursor, const QString &piece, int style);
    void addLink(QTextCursor &cursor, const QString &word);
    void addSmiley(QTextCursor &cursor, int picture);
    // Gives style n the line colour, bold; true when that changed its look.
    bool setLineStyle(int n, const QColor &color);
    // Re-applies the marked styles' formats to their runs in the lines of those styles.
    void restyleLines(const std::array<bool, StyleCount> &which);
    // Re-applies the formats of every style to every run.
    void restyleAll();
    // Re-applies the format of the runs of the marked styles in one line.
    void restyleBlock(QTextCursor &cursor, const QTextBlock &block, const std::array<bool, StyleCount> &which);
    void dropOldestLines();
    QTextCharFormat runFormat(int style) const;
    void scrollAfterAdd();

    QTextBrowser &m_view;
    ShellOpen &m_shell;
    MessageBoxes &m_boxes;
    struct StyleFont
    {
        QColor color;
        bool bold = false;
        bool italic = false;
        bool underline = false;
    };

    std::array<StyleFont, StyleCount> m_styles;
    int m_textSize = DefaultTextSize;
    qreal m_scale = 1.0;
    std::array<QString, LinkTableSize> m_links;
    int m_linkCounter = -1;
    int m_viewLinks = 0; // links in the view since it was last cleared
    // Lines are numbered in the order they came; line n is paragraph n - m_firstLine.
    qint64 m_firstLine = 0;
    qint64 m_nextLine = 0;
    std::array<std::deque<qint64>, StyleCount> m_styleLines; // each style's lines, oldest first
    std::array<bool, StyleCount> m_restyle{};                // styles whose lines wait for their colour
    QTimer *m_restyleTimer = nullptr;
    bool m_scrollOff = false;
    QList<Item> m_lastLine;
    QMenu *m_popup = nullptr;
    QAction *m_scrollAction = nullptr;
};
