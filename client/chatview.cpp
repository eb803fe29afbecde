#include "chatview.h"

#include "boardpictures.h"
#include "messageboxes.h"
#include "shellopen.h"
#include "windowstyle.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int StyleProperty = QTextFormat::UserProperty + 1;
const QString SmileyMark = QStringLiteral(":)#");
const QString LinkScheme = QStringLiteral("chatlink");
constexpr QChar ZeroWidthSpace(0x200B);
constexpr QChar FirstStrongIsolate(0x2068);
constexpr QChar PopDirectionalIsolate(0x2069);

bool directionControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E)
           || (u >= 0x2066 && u <= 0x2069);
}

QUrl smileyUrl(int picture)
{
    return QUrl(QStringLiteral("smiley:%1").arg(picture));
}

// The text of a line as it is laid out: one paragraph (line breaks become blanks) of at
// most ChatView::MaxLineChars characters.
QString shownText(QString text)
{
    if (text.size() > ChatView::MaxLineChars) {
        qsizetype cut = ChatView::MaxLineChars;
        if (text.at(cut).isLowSurrogate())
            --cut;
        text = text.left(cut) + QChar(0x2026);
    }
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator
            || c == QChar::LineSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}

// Where a web address without a scheme ends its host: a colon there must start a port.
bool hostHasOnlyAPort(const QString &address)
{
    qsizetype end = address.size();
    for (const char c : {'/', '?', '#'}) {
        const qsizetype at = address.indexOf(QLatin1Char(c));
        if (at >= 0 && at < end)
            end = at;
    }
    const QString host = address.left(end);
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return true;
    const QString port = host.mid(colon + 1);
    if (port.isEmpty() || port.size() > 5)
        return false;
    for (const QChar c : port) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

ChatView::ChatView(QTextBrowser &view, ShellOpen &shell, MessageBoxes &boxes, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_shell(shell)
    , m_boxes(boxes)
{
    m_styles[0] = {QColor(255, 255, 0)};
    m_styles[1] = {QColor(0, 0, 255), true};
    m_styles[2] = {QColor(0, 0, 128), true};
    m_styles[3] = {QColor(128, 0, 0), false, true};
    m_styles[4] = {QColor(0, 128, 0), false, false, true};
    m_styles[5] = {QColor(0, 128, 0), false, false, true};
    for (int n = 6; n < StyleCount; ++n)
        m_styles[n] = {QColor(0, 0, 0)};
    m_view.setReadOnly(true);
    m_view.setOpenLinks(false);
    m_view.setOpenExternalLinks(false);
    m_view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere); // a word wider than the view
    m_view.document()->setDocumentMargin(5);
    m_view.document()->setUndoRedoEnabled(false);
    // Every line runs left to right, whatever script a peer's name or text starts with.
    QTextOption option = m_view.document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    m_view.document()->setDefaultTextOption(option);
    // Selectable with the mouse, but no caret: the transcript is not a text to edit.
    m_view.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    QPalette palette = m_view.palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_view.setPalette(palette);
    connect(&m_view, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == LinkScheme)
            mainchatJump(url.path().toInt());
    });
    m_restyleTimer = new QTimer(this);
    m_restyleTimer->setSingleShot(true);
    m_restyleTimer->setInterval(RestyleDelayMs);
    connect(m_restyleTimer, &QTimer::timeout, this, &ChatView::restylePending);
    createPopup();
}

void ChatView::createPopup()
{
    m_popup = new QMenu(&m_view);
    m_popup->setObjectName(QStringLiteral("popup_mainchat"));
    QAction *all = m_popup->addAction(QStringLiteral("Select All"), this, &ChatView::selectAllText);
    all->setObjectName(QStringLiteral("SelectAll1"));
    QAction *copy = m_popup->addAction(QStringLiteral("Copy"), this, &ChatView::copySelection);
    copy->setObjectName(QStringLiteral("Copy1"));
    copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    QAction *clear = m_popup->addAction(QStringLiteral("Clear Main Chat"), this, [this] {
        clearChat();
        Q_EMIT cleared();
    });
    clear->setObjectName(QStringLiteral("ClearMainChat2"));
    m_popup->addSeparator();
    m_scrollAction = m_popup->addAction(QStringLiteral("Scroll Chat Off"));
    m_scrollAction->setObjectName(QStringLiteral("ScrollChatOff2"));
    m_scrollAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    m_scrollAction->setCheckable(true);
    connect(m_scrollAction, &QAction::triggered, this, [this] { setScrollOff(!m_scrollOff); });
    m_view.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popup->popup(m_view.viewport()->mapToGlobal(pos)); });
}

QTextCharFormat ChatView::style(int n) const
{
    QTextCharFormat format;
    if (n < 0 || n >= StyleCount)
        return format;
    const StyleFont &s = m_styles[n];
    // Points at the board's 96 dpi, times the board's scale.
    QFont font = windowstyle::arial(qRound(m_textSize * 96.0 / 72.0 * m_scale), s.bold);
    font.setItalic(s.italic);
    font.setUnderline(s.underline);
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    format.setForeground(s.color);
    return format;
}

QTextCharFormat ChatView::runFormat(int n) const
{
    QTextCharFormat format = style(n);
    format.setProperty(StyleProperty, n);
    return format;
}

bool ChatView::setLineStyle(int n, const QColor &color)
{
    StyleFont &s = m_styles[n];
    const StyleFont line{color, true, false, false};
    const bool changed = s.color != line.color || !s.bold || s.italic || s.underline;
    s = line;
    return changed;
}

void ChatView::addStatus(const QString &text)
{
    addLine(ChatLine::status(text));
}

void ChatView::addLine(const ChatLine &line)
{
    // Lines from outside 1 to 9 (the host never sends them) share the status style.
    const int lineStyle = line.seat >= 1 && line.seat <= 9 ? line.seat + 5 : StatusStyle;
    const QString text =
        shownText(line.name.isEmpty() ? line.text : line.name + ChatLine::joiner(line.kind) + line.text);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString prefix = text.left(colon + 1);
    QString rest = text.mid(colon + 1);

    if (setLineStyle(lineStyle, line.color) && !m_styleLines[lineStyle].empty()) {
        m_restyle[lineStyle] = true;
        if (!m_restyleTimer->isActive())
            m_restyleTimer->start();
    }
    QTextCursor cursor(m_view.document());
    // One edit: the document lays the new line out once, not once per word.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    if (lineCount() > 0)
        cursor.insertBlock();
    m_lastLine.clear();
    m_lastLine.append({Item::Text, prefix + QLatin1Char(' '), lineStyle});
    cursor.insertText(prefix + QLatin1Char(' '), runFormat(lineStyle));
    for (qsizetype at = rest.indexOf(SmileyMark); at >= 0; at = rest.indexOf(SmileyMark)) {
        emitWords(cursor, rest.left(at), lineStyle);
        const QString digits = rest.mid(at + SmileyMark.size(), 2);
        rest = rest.mid(at + SmileyMark.size() + 2);
        addSmiley(cursor, smileyIndex(digits));
    }
    if (!rest.isEmpty())
        emitWords(cursor, rest, lineStyle);
    cursor.endEditBlock();
    m_styleLines[lineStyle].push_back(m_nextLine++);
    dropOldestLines();
    scrollAfterAdd();
}

void ChatView::dropOldestLines()
{
    if (lineCount() <= MaxLines)
        return;
    // Many at once: removing lines at the top moves every line below them.
    const qint64 keepFrom = m_nextLine - (MaxLines - MaxLines / 10);
    QTextDocument *document = m_view.document();
    QTextCursor cursor(document);
    cursor.setPosition(document->findBlockByNumber(int(keepFrom - m_firstLine)).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_firstLine = keepFrom;
    for (std::deque<qint64> &lines : m_styleLines) {
        while (!lines.empty() && lines.front() < keepFrom)
            lines.pop_front();
    }
}

QString ChatView::withoutDirectionControls(const QString &text)
{
    QString out = text;
    out.removeIf(directionControl);
    return out;
}

QString ChatView::isolated(const QString &text)
{
    return FirstStrongIsolate + withoutDirectionControls(text) + PopDirectionalIsolate;
}

int ChatView::smileyIndex(const QString &digits)
{
    bool ok = digits.size() == 2 && digits.at(0).isDigit() && digits.at(1).isDigit();
    const int code = ok ? digits.toInt(&ok) : 0;
    if (!ok || code < FirstSmileyCode || code >= FirstSmileyCode + SmileyCount)
        return 0;
    return code - FirstSmileyCode;
}

void ChatView::emitWords(QTextCursor &cursor, const QString &piece, int lineStyle)
{
    const QString words = piece + QLatin1Char(' ');
    qsizetype start = 0;
    while (start < words.size()) {
        const qsizetype blank = words.indexOf(QLatin1Char(' '), start);
        const QString word = words.mid(start, blank - start + 1);
        start = blank + 1;
        const QString lower = word.toLower();
        if (lower.contains(QLatin1String("http://")) || lower.contains(QLatin1String("www.")))
            addLink(cursor, word);
        else {
            m_lastLine.append({Item::Text, word, lineStyle});
            cursor.insertText(breakable(word), runFormat(lineStyle));
        }
    }
}

void ChatView::addLink(QTextCursor &cursor, const QString &word)
{
    m_linkCounter = m_linkCounter >= LinkTableSize - 1 ? 1 : m_linkCounter + 1;
    m_links[m_linkCounter] = word;
    m_lastLine.append({Item::Link, word, LinkStyle});
    QTextCharFormat format = runFormat(LinkStyle);
    format.setAnchor(true);
    format.setAnchorHref(LinkScheme + QLatin1Char(':') + QString::number(m_viewLinks++));
    cursor.insertText(breakable(word), format);
}

QString ChatView::breakable(const QString &word)
{
    if (word.size() <= LongWordChars)
        return word;
    QString shown;
    shown.reserve(word.size() + word.size() / LongWordChars + 1);
    qsizetype run = 0;
    for (const QChar c : word) {
        // Never between the halves of a surrogate pair or before a combining mark.
        if (run >= LongWordChars && !c.isLowSurrogate() && !c.isMark()) {
            shown += ZeroWidthSpace;
            run = 0;
        }
        shown += c;
        ++run;
    }
    return shown;
}

void ChatView::addSmiley(QTextCursor &cursor, int picture)
{
    m_lastLine.append({Item::Image, QString(), 0, picture});
    const QUrl name = smileyUrl(picture);
    m_view.document()->addResource(
        QTextDocument::ImageResource, name,
        boardpictures::load(QStringLiteral("smiley%1").arg(picture + 1, 2, 10, QLatin1Char('0'))));
    QTextImageFormat image;
    image.setName(name.toString());
    image.setWidth(17);
    image.setHeight(16);
    image.setVerticalAlignment(QTextCharFormat::AlignBottom);
    cursor.insertImage(image);
}

void ChatView::restyleBlock(QTextCursor &cursor, const QTextBlock &block,
                            const std::array<bool, StyleCount> &which)
{
    struct Run
    {
        int position, length, style;
    };
    QList<Run> runs; // collected first: changing a format may join fragments
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QVariant n = fragment.charFormat().property(StyleProperty);
        if (n.isValid() && n.toInt() >= 0 && n.toInt() < StyleCount && which[n.toInt()])
            runs.append({fragment.position(), fragment.length(), n.toInt()});
    }
    for (const Run &run : runs) {
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(style(run.style));
    }
}

void ChatView::restylePending()
{
    m_restyleTimer->stop();
    const std::array<bool, StyleCount> which = m_restyle;
    m_restyle.fill(false);
    restyleLines(which);
}

void ChatView::restyleLines(const std::array<bool, StyleCount> &which)
{
    QTextDocument *document = m_view.document();
    QTextCursor cursor(document);
    // One edit over those senders' own lines: laid out once, the other lines untouched.
    cursor.beginEditBlock();
    for (int n = 0; n < StyleCount; ++n) {
        if (!which[n])
            continue;
        for (const qint64 line : m_styleLines[n])
            restyleBlock(cursor, document->findBlockByNumber(int(line - m_firstLine)), which);
    }
    cursor.endEditBlock();
}

void ChatView::restyleAll()
{
    std::array<bool, StyleCount> all;
    all.fill(true);
    QTextDocument *document = m_view.document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        restyleBlock(cursor, block, all);
    cursor.endEditBlock();
}

void ChatView::scrollAfterAdd()
{
    QScrollBar *bar = m_view.verticalScrollBar();
    // Laying the transcript out again shows its first line; only automatic scrolling
    // brings the new line into view.
    bar->setValue(m_scrollOff ? bar->minimum() : bar->maximum());
}

void ChatView::setTextSize(int points)
{
    m_textSize = points;
    m_restyleTimer->stop(); // every run takes its style's current format
    m_restyle.fill(false);
    restyleAll();
}

void ChatView::setScale(qreal scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    setTextSize(m_textSize);
}

QString ChatView::link(int entry) const
{
    return entry >= 0 && entry < LinkTableSize ? m_links[entry] : QString();
}

QString ChatView::webAddress(const QString &word)
{
    QString text = withoutDirectionControls(word).trimmed();
    // Punctuation around an address in a sentence: "(see www.a.org)." opens www.a.org.
    if (text.startsWith(QLatin1Char('(')))
        text.remove(0, 1);
    const QString trailing = QStringLiteral(".,;:!?)]}\"'");
    while (!text.isEmpty() && trailing.contains(text.back()))
        text.chop(1);
    const QString lower = text.toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://")))
        return text;
    if (!lower.contains(QLatin1String("www.")) || !hostHasOnlyAPort(text))
        return QString(); // another scheme, or no web address at all
    return QStringLiteral("http://") + text;
}

void ChatView::mainchatJump(int n)
{
    // The table holds 101 entries and the counter starts again at 1 after 100, so the
    // view's link n past 100 was stored in entry (n - 1) % 100 + 1.
    const int entry = n <= LinkTableSize - 1 ? n : (n - 1) % (LinkTableSize - 1) + 1;
    QString word = link(entry);
    while (word.endsWith(QLatin1Char(' ')))
        word.chop(1);
    const QString address = webAddress(word);
    if (address.isEmpty() || !m_shell.openUrl(address))
        m_boxes.showMessage(QStringLiteral("Cannot open Webpage"));
}

void ChatView::selectAllText()
{
    m_view.selectAll();
}

void ChatView::copySelection()
{
    const QTextCursor selection = m_view.textCursor();
    if (!selection.hasSelection())
        return;
    QString text = selection.selection().toPlainText();
    text.remove(QChar::ObjectReplacementCharacter); // the smiley pictures
    text.remove(ZeroWidthSpace);                    // the breaks in long words
    text = withoutDirectionControls(text);          // the isolates around peers' names and text
    QGuiApplication::clipboard()->setText(text);
}

void ChatView::clearChat()
{
    m_view.clear();
    m_lastLine.clear();
    m_firstLine = m_nextLine = 0;
    for (std::deque<qint64> &lines : m_styleLines)
        lines.clear();
    m_restyleTimer->stop();
    m_restyle.fill(false);
    m_viewLinks = 0;
    m_linkCounter = -1;
}

void ChatView::setScrollOff(bool off)
{
    m_scrollOff = off;
    m_scrollAction->setChecked(off);
    Q_EMIT scrollOffChanged(off);
}
