// The chat line layout: received chat bodies with colour text, smileys and links, then a
// click on every link the transcript shows.
//
// Input: records cut at 0xFF. A record's first byte c steers: c & 1 clears the chat first
// ("Clear Main Chat" from the view's menu), c & 2 makes the desktop refuse to open links,
// c & 4 switches "Scroll Chat Off", c & 8 sets the text size to 8 + (c >> 4) points. The rest
// is a CMD_chat body "sender+text|colour"; in it bytes 1..8 stand for ":)#", "http://",
// "www.", "https://", "|cl", "|$00", "+" and " ". After the last record every link is clicked.
//
// A click on one of the last 100 links opens that link's own word; older links may open a
// newer word (the table holds 100), but nothing reads outside the table.
#include "fuzztargets.h"

#include "chatview.h"
#include "messageboxes.h"
#include "relayedchat.h"
#include "shellopen.h"

#include <QAction>
#include <QMenu>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <array>
#include <set>

namespace fuzz_chatlayout {

namespace {

using fuzzsupport::check;

constexpr std::array<const char *, 8> Tokens{":)#", "http://", "www.", "https://", "|cl", "|$00", "+", " "};

QByteArray expand(const QByteArray &raw)
{
    QByteArray out;
    for (const char c : raw) {
        const auto b = quint8(c);
        if (b >= 1 && b <= Tokens.size())
            out += Tokens[b - 1];
        else
            out += c;
    }
    return out;
}

QString trimmedRight(QString word)
{
    while (word.endsWith(QLatin1Char(' ')))
        word.chop(1);
    return word;
}

class Driver
{
public:
    Driver()
        : m_chat(m_view, m_shell, m_boxes)
    {
    }

    void record(const QByteArray &raw)
    {
        const auto c = raw.isEmpty() ? 0 : quint8(raw.at(0));
        if (c & 1)
            clear();
        m_shell.answer = (c & 2) == 0;
        if (c & 4)
            m_chat.setScrollOff(!m_chat.scrollOff());
        if (c & 8)
            m_chat.setTextSize(8 + (c >> 4));
        const auto [seat, payload] = RelayedChat::parse(expand(raw.mid(1)));
        m_chat.addLine({seat == 0 ? ChatLine::Kind::Status : ChatLine::Kind::Chat, seat, QString(), payload.text,
                        payload.color});
        checkLine();
    }

    void clickEveryLink()
    {
        std::set<QString> hrefs;
        for (QTextBlock block = m_view.document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (format.isAnchor())
                    hrefs.insert(format.anchorHref());
            }
        }
        if (m_dropped)
            check(qsizetype(hrefs.size()) <= m_links.size(), "no anchor without its link word");
        else
            check(qsizetype(hrefs.size()) == m_links.size(), "one anchor in the view per link word");
        const qsizetype newest = m_links.size();
        for (qsizetype n = 0; n < newest; ++n) {
            const qsizetype urls = m_shell.urls.size();
            const qsizetype messages = m_boxes.messages.size();
            Q_EMIT m_view.anchorClicked(QUrl(QStringLiteral("chatlink:%1").arg(n)));
            const bool opened = m_shell.urls.size() == urls + 1;
            check(opened || m_boxes.messages.size() == messages + 1, "a click opens a link or says it cannot");
            if (n < newest - (ChatView::LinkTableSize - 1))
                continue; // overwritten in the table since
            const QString address = ChatView::webAddress(trimmedRight(m_links.at(n)));
            if (opened)
                check(m_shell.urls.last() == address, "a click opens the clicked link's address");
            else
                check(address.isEmpty() || !m_shell.answer, "only a refused or non-web link is not opened");
        }
        // Numbers the view never gave out must not reach past the table either.
        for (const int n : {-1, int(newest), int(newest) + 100, 1 << 30, -(1 << 30)})
            m_chat.mainchatJump(n);
    }

private:
    void clear()
    {
        QAction *item = m_chat.popup_mainchat()->findChild<QAction *>(QStringLiteral("ClearMainChat2"));
        check(item != nullptr, "the chat menu has Clear Main Chat");
        item->trigger();
        m_links.clear();
        m_lines = 0;
        m_dropped = false;
        check(m_view.document()->isEmpty(), "Clear Main Chat empties the view");
    }

    void checkLine()
    {
        const QList<ChatView::Item> &items = m_chat.lastLine();
        check(!items.isEmpty(), "a line shows at least its prefix");
        for (const ChatView::Item &item : items) {
            check(item.style >= 0 && item.style < ChatView::StyleCount, "style 0..14");
            if (item.kind == ChatView::Item::Image)
                check(item.picture >= 0 && item.picture < ChatView::SmileyCount, "smiley picture 0..17");
            if (item.kind == ChatView::Item::Link) {
                check(item.style == ChatView::LinkStyle, "links in the link style");
                m_links.append(item.text);
            }
        }
        check(m_chat.linkCounter() >= -1 && m_chat.linkCounter() < ChatView::LinkTableSize,
              "link counter in the table");
        // Each line is one paragraph of bounded length; the oldest go past the bound.
        ++m_lines;
        m_dropped = m_dropped || m_chat.lineCount() < m_lines;
        check(m_chat.lineCount() <= ChatView::MaxLines, "the transcript is bounded");
        check(m_chat.lineCount() == m_lines || m_dropped, "no line is lost below the bound");
        check(m_view.document()->blockCount() == qMax(1, m_chat.lineCount()), "one paragraph per line");
        check(m_view.document()->lastBlock().length() < 2 * ChatView::MaxLineChars, "a line's length is bounded");
    }

    QTextBrowser m_view;
    RecordingShellOpen m_shell;
    RecordingMessageBoxes m_boxes;
    ChatView m_chat;
    QStringList m_links;    // link words shown since the view was last cleared, in order
    int m_lines = 0;        // lines added since the view was last cleared
    bool m_dropped = false; // the oldest of them left the transcript
};

void run(const std::uint8_t *data, std::size_t size)
{
    Driver driver;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype start = 0;
    while (start < input.size()) {
        qsizetype end = input.indexOf(char(0xFF), start);
        if (end < 0)
            end = input.size();
        driver.record(input.mid(start, end - start));
        start = end + 1;
    }
    driver.clickEveryLink();
}

// Every style at every text size the input can choose, so their fonts are loaded once.
void warmUp()
{
    QByteArray input;
    for (int size = -1; size < 16; ++size) {
        for (int sender = 0; sender <= 10; ++sender) {
            input += char(size < 0 ? 0 : 8 | size << 4);
            input += QByteArray::number(sender) + "+x: a :)#12 www.x.org|clBlue" + char(0xFF);
        }
    }
    run(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureWidgetsApplication();
    static const bool warm = (fuzzsupport::withoutLeakCheck(warmUp), true);
    (void)warm;
    run(data, size);
    return 0;
}

} // namespace fuzz_chatlayout
