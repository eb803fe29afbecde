// The chat transcript: styles, words, links, smileys, scrolling and the link table.
#include "chatview.h"
#include "messageboxes.h"
#include "shellopen.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

using Item = ChatView::Item;

// A line of seat's whose text, as the transcript shows it, is text (no name heads it).
ChatLine said(int seat, const QString &text, const QColor &color)
{
    return {ChatLine::Kind::Chat, seat, QString(), text, color};
}

} // namespace

void PrintTo(const ChatView::Item &item, std::ostream *os)
{
    *os << "{" << int(item.kind) << ", \"" << item.text.toStdString() << "\", style " << item.style << ", picture "
        << item.picture << "}";
}

namespace {

class ChatViewTest : public ::testing::Test
{
protected:
    ChatViewTest() { browser.resize(488, 151); }

    // The fragments of paragraph n: text, colour and boldness of each.
    struct Run
    {
        QString text;
        QColor color;
        bool bold;
        bool anchor;
    };
    QList<Run> runs(int n)
    {
        QList<Run> result;
        const QTextBlock block = browser.document()->findBlockByNumber(n);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            result.append({it.fragment().text(), f.foreground().color(), f.font().bold(), f.isAnchor()});
        }
        return result;
    }

    QTextBrowser browser;
    RecordingShellOpen shell;
    RecordingMessageBoxes boxes;
    ChatView chat{browser, shell, boxes};
};

TEST_F(ChatViewTest, ChatLineHasBoldPrefixRunThenWordsInTheSendersStyle)
{
    chat.addLine({ChatLine::Kind::Chat, 2, QStringLiteral("Bob"), QStringLiteral("hi"), QColor(0, 0, 255)});
    const QList<Item> expected{{Item::Text, QStringLiteral("Bob chats: "), 7},
                               {Item::Text, QStringLiteral(" "), 7},
                               {Item::Text, QStringLiteral("hi "), 7}};
    EXPECT_EQ(chat.lastLine(), expected);
    EXPECT_EQ(chat.style(7).foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(chat.style(7).font().bold());
    const QList<Run> shown = runs(0);
    ASSERT_EQ(shown.size(), 1); // equal formats join into one fragment
    EXPECT_EQ(shown[0].text, QStringLiteral("Bob chats:  hi "));
    EXPECT_EQ(shown[0].color, QColor(0, 0, 255));
    EXPECT_TRUE(shown[0].bold);
}

TEST_F(ChatViewTest, StatusLineHasASingleBlankPrefixRun)
{
    chat.addStatus(QStringLiteral("You are Connected."));
    const QList<Item> expected{{Item::Text, QStringLiteral(" "), 0},
                               {Item::Text, QStringLiteral("You "), 0},
                               {Item::Text, QStringLiteral("are "), 0},
                               {Item::Text, QStringLiteral("Connected. "), 0}};
    EXPECT_EQ(chat.lastLine(), expected);
    EXPECT_EQ(chat.style(0).foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(chat.style(0).font().bold());
}

TEST_F(ChatViewTest, EachLineIsOneParagraph)
{
    chat.addStatus(QStringLiteral("one"));
    chat.addLine(said(1, QStringLiteral("Ann chats: two"), Qt::black));
    chat.addLine({ChatLine::Kind::Action, 1, QStringLiteral("Ann"), QStringLiteral("waves"), Qt::black});
    EXPECT_EQ(browser.document()->blockCount(), 3);
    EXPECT_EQ(browser.document()->findBlockByNumber(1).text(), QStringLiteral("Ann chats:  two "));
    EXPECT_EQ(browser.document()->findBlockByNumber(2).text(), QStringLiteral(" Ann waves "))
        << "an action has no prefix up to a colon";
}

TEST_F(ChatViewTest, ANewColourRecoloursTheSendersEarlierLinesOnly)
{
    chat.addLine(said(2, QStringLiteral("Bob chats: first"), QColor(0, 0, 255)));
    chat.addLine(said(3, QStringLiteral("Cy chats: other"), QColor(0, 128, 0)));
    chat.addLine(said(2, QStringLiteral("Bob chats: second"), QColor(255, 0, 0)));
    EXPECT_EQ(runs(2).first().color, QColor(255, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs(0).first().color == QColor(255, 0, 0); }, 2000))
        << "the earlier line follows within a moment";
    EXPECT_EQ(runs(1).first().color, QColor(0, 128, 0));
}

TEST_F(ChatViewTest, LinkWordsKeepTheirBlankAndNeighboursStayPlain)
{
    chat.addLine(said(1, QStringLiteral("Ann chats: see WWW.Example.com or xHTTP://a.org/x now"), Qt::black));
    const QList<Item> expected{
        {Item::Text, QStringLiteral("Ann chats: "), 6}, {Item::Text, QStringLiteral(" "), 6},
        {Item::Text, QStringLiteral("see "), 6},        {Item::Link, QStringLiteral("WWW.Example.com "), 4},
        {Item::Text, QStringLiteral("or "), 6},         {Item::Link, QStringLiteral("xHTTP://a.org/x "), 4},
        {Item::Text, QStringLiteral("now "), 6}};
    EXPECT_EQ(chat.lastLine(), expected);
    EXPECT_EQ(chat.linkCounter(), 1);
    EXPECT_EQ(chat.link(0), QStringLiteral("WWW.Example.com "));
    EXPECT_EQ(chat.link(1), QStringLiteral("xHTTP://a.org/x "));
    int anchors = 0;
    for (const Run &run : runs(0)) {
        if (run.anchor) {
            ++anchors;
            EXPECT_EQ(run.color, QColor(0, 128, 0));
        }
    }
    EXPECT_EQ(anchors, 2);
}

TEST_F(ChatViewTest, OnlyWebAddressesAreOpened)
{
    struct Case
    {
        QString word, opened;
    };
    const Case cases[] = {
        {QStringLiteral("http://a.org/x "), QStringLiteral("http://a.org/x")},
        {QStringLiteral("HTTPS://a.org "), QStringLiteral("HTTPS://a.org")},
        {QStringLiteral("www.a.org  "), QStringLiteral("http://www.a.org")},
        {QStringLiteral("file://www.a.org/etc/passwd "), QString()},
        {QStringLiteral("smb:www.host "), QString()},
        {QStringLiteral("xhttp://a.org "), QString()},
        {QStringLiteral(""), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChatView::webAddress(c.word), c.opened) << c.word.toStdString();
}

TEST_F(ChatViewTest, ClickOnALinkOpensTheWordWithoutItsBlank)
{
    chat.addLine(said(1, QStringLiteral("Ann chats: go http://a.org/x please"), Qt::black));
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    const QString text = browser.document()->toPlainText();
    QTextCursor cursor(browser.document());
    cursor.setPosition(int(text.indexOf(QLatin1String("a.org"))));
    const QPoint at = browser.cursorRect(cursor).center() + QPoint(2, 0);
    QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://a.org/x")});
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(ChatViewTest, FailingOrForeignLinksSayCannotOpenWebpage)
{
    chat.addLine(said(1, QStringLiteral("Ann chats: file://www.a.org/x"), Qt::black));
    chat.mainchatJump(0);
    EXPECT_TRUE(shell.urls.isEmpty());
    chat.mainchatJump(7);  // an empty entry
    chat.mainchatJump(-3); // never read outside the table
    chat.mainchatJump(1000);
    shell.answer = false;
    chat.addLine(said(1, QStringLiteral("Ann chats: www.a.org"), Qt::black));
    chat.mainchatJump(1);
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.a.org")});
    EXPECT_EQ(boxes.messages, QStringList(5, QStringLiteral("Cannot open Webpage")));
}

TEST_F(ChatViewTest, ClearingRestartsTheLinkTable)
{
    chat.addLine(said(1, QStringLiteral("Ann chats: www.one.org www.two.org"), Qt::black));
    chat.clearChat();
    EXPECT_EQ(chat.linkCounter(), -1);
    EXPECT_TRUE(browser.document()->toPlainText().isEmpty());
    chat.addLine(said(1, QStringLiteral("Ann chats: www.three.org"), Qt::black));
    EXPECT_EQ(chat.linkCounter(), 0);
    chat.mainchatJump(0);
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.three.org")});
}

TEST_F(ChatViewTest, LinkCounterGoesBackToOneAfterHundred)
{
    for (int n = 0; n <= 101; ++n)
        chat.addLine(said(1, QStringLiteral("Ann chats: www.s%1.org").arg(n), Qt::black));
    EXPECT_EQ(chat.linkCounter(), 1);
    EXPECT_EQ(chat.link(0), QStringLiteral("www.s0.org "));
    EXPECT_EQ(chat.link(100), QStringLiteral("www.s100.org "));
    EXPECT_EQ(chat.link(1), QStringLiteral("www.s101.org "));
    EXPECT_TRUE(chat.link(101).isEmpty());
    EXPECT_TRUE(chat.link(-1).isEmpty());
    chat.mainchatJump(101); // the view's 102nd link, stored in entry 1
    chat.mainchatJump(100);
    EXPECT_EQ(shell.urls,
              (QStringList{QStringLiteral("http://www.s101.org"), QStringLiteral("http://www.s100.org")}));
}

TEST_F(ChatViewTest, EveryRecentLinkOpensItsOwnWordThroughManyWraps)
{
    // The newest link is always reachable, whatever the count, and the table's last 100
    // links each open their own word: entries are reused every 100 links, at 101, 201, 301.
    constexpr int Last = 320;
    QStringList expected;
    for (int n = 0; n <= Last; ++n) {
        chat.addLine(said(1, QStringLiteral("Ann chats: www.s%1.org").arg(n), Qt::black));
        chat.mainchatJump(n);
        expected.append(QStringLiteral("http://www.s%1.org").arg(n));
    }
    for (int n = Last - 99; n <= Last; ++n) {
        chat.mainchatJump(n);
        expected.append(QStringLiteral("http://www.s%1.org").arg(n));
    }
    EXPECT_EQ(shell.urls, expected);
    EXPECT_TRUE(boxes.messages.isEmpty()) << boxes.messages.join(" | ").toStdString();
}

TEST_F(ChatViewTest, SmileyCodesBecomePictures)
{
    struct Case
    {
        QString text;
        QList<Item> items;
    };
    // After "Ann chats:" the rest starts right at the code (a smiley's own ":" would
    // otherwise end the prefix).
    const Item blank{Item::Text, QStringLiteral(" "), 6};
    const Case cases[] = {
        {QStringLiteral(":)#15"), {blank, {Item::Image, {}, 0, 5}}},
        {QStringLiteral(":)#10:)#27"), {blank, {Item::Image, {}, 0, 0}, blank, {Item::Image, {}, 0, 17}}},
        {QStringLiteral("a:)#28b"),
         {{Item::Text, QStringLiteral("a "), 6}, {Item::Image, {}, 0, 0}, {Item::Text, QStringLiteral("b "), 6}}},
        {QStringLiteral(":)#x5"), {blank, {Item::Image, {}, 0, 0}}},
        {QStringLiteral(":)#09"), {blank, {Item::Image, {}, 0, 0}}},
        {QStringLiteral("end:)#1"), {{Item::Text, QStringLiteral("end "), 6}, {Item::Image, {}, 0, 0}}},
    };
    for (const Case &c : cases) {
        chat.addLine(said(1, QStringLiteral("Ann chats:") + c.text, Qt::black));
        QList<Item> expected{{Item::Text, QStringLiteral("Ann chats: "), 6}};
        expected.append(c.items);
        EXPECT_EQ(chat.lastLine(), expected) << c.text.toStdString();
    }
    const QTextBlock block = browser.document()->findBlockByNumber(0);
    int images = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        images += it.fragment().charFormat().isImageFormat() ? 1 : 0;
    EXPECT_EQ(images, 1);
}

TEST_F(ChatViewTest, ScrollsToTheNewLineUnlessScrollChatOff)
{
    browser.show();
    for (int n = 0; n < 40; ++n)
        chat.addStatus(QStringLiteral("line %1").arg(n));
    QScrollBar *bar = browser.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    chat.setScrollOff(true);
    EXPECT_TRUE(chat.ScrollChatOff()->isChecked());
    chat.addStatus(QStringLiteral("one more"));
    EXPECT_EQ(bar->value(), 0);
    chat.ScrollChatOff()->trigger();
    EXPECT_FALSE(chat.scrollOff());
    chat.addStatus(QStringLiteral("and another"));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ChatViewTest, CopyGivesPlainTextOfTheSelection)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    chat.addLine(said(1, QStringLiteral("Ann chats: hi:)#12"), Qt::black));
    chat.copySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before")) << "nothing selected";
    chat.selectAllText();
    chat.copySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Ann chats:  hi "));
}

TEST_F(ChatViewTest, TextSizeAppliesToEveryStyleAndShownRun)
{
    chat.addLine(said(1, QStringLiteral("Ann chats: hello www.a.org"), Qt::black));
    chat.setTextSize(14);
    for (int n = 0; n < ChatView::StyleCount; ++n)
        EXPECT_EQ(chat.style(n).font().pixelSize(), 19) << n; // 14 points at 96 dpi
    const QTextBlock block = browser.document()->findBlockByNumber(0);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        EXPECT_EQ(it.fragment().charFormat().font().pixelSize(), 19) << it.fragment().text().toStdString();
}

TEST_F(ChatViewTest, LinkAddressesLeaveSentencePunctuationOut)
{
    struct Case
    {
        QString word, opened;
    };
    const Case cases[] = {
        {QStringLiteral("www.example.com. "), QStringLiteral("http://www.example.com")},
        {QStringLiteral("(www.example.com), "), QStringLiteral("http://www.example.com")},
        {QStringLiteral("http://a.org/x)."), QStringLiteral("http://a.org/x")},
        {QStringLiteral("https://a.org/page?!;:"), QStringLiteral("https://a.org/page")},
        {QStringLiteral("www.a.org]}\"' "), QStringLiteral("http://www.a.org")},
        {QStringLiteral("www.example.com:8080/page "), QStringLiteral("http://www.example.com:8080/page")},
        {QStringLiteral("www.example.com:8080"), QStringLiteral("http://www.example.com:8080")},
        {QStringLiteral("www.a.org/x:y?z=1#top "), QStringLiteral("http://www.a.org/x:y?z=1#top")},
        {QStringLiteral("javascript:www.a.org "), QString()},
        {QStringLiteral("www.a.org:80a/ "), QString()},
        {QStringLiteral("www.a.org:/x "), QString()},
        {QStringLiteral("file:///www.a.org "), QString()},
        {QStringLiteral("ftp://www.a.org "), QString()},
        {QStringLiteral("(file:www.a.org) "), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChatView::webAddress(c.word), c.opened) << c.word.toStdString();

    chat.addLine(said(1, QStringLiteral("Ann chats: see (www.example.com:8080/page)."), Qt::black));
    chat.mainchatJump(0);
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.example.com:8080/page")});
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(ChatViewTest, AColourChangeReachesTheLayoutOnceWhateverTheSendersPast)
{
    for (int n = 0; n < 30; ++n)
        chat.addLine(said(3, QStringLiteral("Cy chats: other line %1").arg(n), QColor(0, 128, 0)));
    const int firstOwn = browser.document()->blockCount();
    for (int n = 0; n < 200; ++n)
        chat.addLine(said(2, QStringLiteral("Bob chats: many small words in line %1").arg(n), QColor(0, 0, 255)));
    QSignalSpy changes(browser.document(), &QTextDocument::contentsChange);
    chat.addLine(said(2, QStringLiteral("Bob chats: red now"), QColor(255, 0, 0)));
    EXPECT_EQ(changes.size(), 1) << "the new line is added in one change";
    chat.restylePending();
    EXPECT_EQ(changes.size(), 2) << "the earlier lines are restyled in one change";
    const int ownStart = browser.document()->findBlockByNumber(firstOwn).position();
    for (const QList<QVariant> &change : changes)
        EXPECT_GE(change.at(0).toInt(), ownStart) << "the other sender's lines are not touched";
    EXPECT_EQ(runs(firstOwn).first().color, QColor(255, 0, 0));
    EXPECT_EQ(runs(firstOwn + 199).first().color, QColor(255, 0, 0));
    EXPECT_EQ(runs(firstOwn - 1).first().color, QColor(0, 128, 0));

    // A sender alternating colours quickly is restyled once for the lot.
    changes.clear();
    for (int n = 0; n < 10; ++n)
        chat.addLine(
            said(2, QStringLiteral("Bob chats: flip %1").arg(n), n % 2 ? QColor(255, 0, 0) : QColor(0, 0, 255)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs(firstOwn).first().color == QColor(255, 0, 0); }, 2000));
    EXPECT_LE(changes.size(), 10 + 2);
}

TEST_F(ChatViewTest, TranscriptKeepsTheNewestLinesWithinItsBound)
{
    chat.addLine(said(2, QStringLiteral("Bob chats: first"), QColor(0, 0, 255)));
    for (int n = 1; n <= ChatView::MaxLines; ++n)
        chat.addStatus(QStringLiteral("line %1").arg(n));
    QTextDocument *document = browser.document();
    EXPECT_LE(chat.lineCount(), ChatView::MaxLines);
    EXPECT_GE(chat.lineCount(), ChatView::MaxLines * 8 / 10) << "the bound is generous";
    EXPECT_EQ(document->blockCount(), chat.lineCount());
    const int first = ChatView::MaxLines + 1 - chat.lineCount();
    EXPECT_EQ(document->firstBlock().text(), QStringLiteral(" line %1 ").arg(first));
    EXPECT_EQ(document->lastBlock().text(), QStringLiteral(" line %1 ").arg(ChatView::MaxLines));

    // Bob's only line is gone; his colour change still restyles the right paragraphs.
    chat.addLine(said(2, QStringLiteral("Bob chats: again"), QColor(0, 0, 255)));
    chat.addLine(said(2, QStringLiteral("Bob chats: red"), QColor(255, 0, 0)));
    chat.restylePending();
    EXPECT_EQ(runs(chat.lineCount() - 2).first().color, QColor(255, 0, 0));
    EXPECT_EQ(runs(chat.lineCount() - 3).first().color, QColor(0, 0, 255)) << "a status line";
}

TEST_F(ChatViewTest, LongWordsAndLinesAreShownBreakableButKeptWhole)
{
    const QString word(450, QLatin1Char('w'));
    const QString address = QStringLiteral("http://a.org/") + QString(400, QLatin1Char('p'));
    chat.addLine(said(1, QStringLiteral("Ann chats: ") + word + QLatin1Char(' ') + address, Qt::black));
    const QString shown = browser.document()->firstBlock().text();
    EXPECT_EQ(shown.count(QChar(0x200B)), 2 + 2) << "a break every 200 characters of each long word";
    EXPECT_EQ(chat.lastLine().at(2).text, word + QLatin1Char(' '));
    EXPECT_EQ(chat.link(0), address + QLatin1Char(' '));
    chat.mainchatJump(0);
    EXPECT_EQ(shell.urls, QStringList{address});
    chat.selectAllText();
    chat.copySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Ann chats:  ") + word + QLatin1Char(' ') + address + QLatin1Char(' '));

    // A line is one paragraph of bounded length, whatever it holds.
    chat.addLine(
        said(1, QStringLiteral("Ann chats: a\nb\rc") + QChar(QChar::ParagraphSeparator) + QStringLiteral("d"),
             Qt::black));
    chat.addLine(
        said(1, QStringLiteral("Ann chats: ") + QString(3 * ChatView::MaxLineChars, QLatin1Char('x')), Qt::black));
    EXPECT_EQ(browser.document()->blockCount(), 3);
    EXPECT_EQ(chat.lineCount(), 3);
    EXPECT_EQ(browser.document()->findBlockByNumber(1).text(), QStringLiteral("Ann chats:  a b c d "));
    EXPECT_LT(browser.document()->lastBlock().length(), ChatView::MaxLineChars + ChatView::MaxLineChars / 20);
}

TEST_F(ChatViewTest, PeerMarkupIsShownAsItsCharacters)
{
    chat.addLine(said(2, QStringLiteral("<b>x</b> chats: <img src=\"/some/local/file.png\">"), Qt::black));
    EXPECT_EQ(browser.document()->toPlainText(),
              QStringLiteral("<b>x</b> chats:  <img src=\"/some/local/file.png\"> "));
    for (const Run &run : runs(0))
        EXPECT_TRUE(run.bold) << "every run in the sender's style";
    const QTextBlock block = browser.document()->firstBlock();
    for (auto it = block.begin(); !it.atEnd(); ++it)
        EXPECT_FALSE(it.fragment().charFormat().isImageFormat());
}

} // namespace
