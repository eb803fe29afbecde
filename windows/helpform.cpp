#include "helpform.h"

#include "gradientbutton.h"
#include "roundedpanel.h"
#include "windowstyle.h"

#include <QApplication>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

struct HelpPage
{
    const char *caption;
    const char *resource;
};

// Index + 1 is the page's tag.
constexpr HelpPage Pages[Thelp::PageCount] = {
    {"Overview", ":/help/overview.html"},           {"Connecting", ":/help/connecting.html"},
    {"Game Play", ":/help/gameplay.html"},          {"Scoring", ":/help/scoring.html"},
    {"Documentation", ":/help/documentation.html"}, {"License", ":/help/license.html"},
};

// The page buttons: green, gold while their page is in front; "About" and "Done": cream.
const GradientButton::Look PageLook{{QColor(46, 138, 52), QColor(18, 92, 28)},
                                    {QColor(70, 165, 74), QColor(28, 112, 38)},
                                    QColor(10, 55, 16),
                                    Qt::white};
const GradientButton::Look ChosenPageLook{{QColor(255, 226, 130), QColor(214, 158, 38)},
                                          {QColor(255, 226, 130), QColor(214, 158, 38)},
                                          QColor(110, 70, 10),
                                          QColor(60, 30, 5)};
const GradientButton::Look CommandLook{{QColor(250, 250, 228), QColor(222, 218, 180)},
                                       {QColor(255, 255, 240), QColor(255, 255, 240)},
                                       windowstyle::RimBrown,
                                       QColor(60, 35, 12)};
constexpr int PageTextIndent = 12;

const QColor PageFrame(60, 32, 12);
const QColor CaptionBand(218, 216, 205);
const QColor CaptionLine(170, 166, 150);

const char *const PageStyle =
    "body { color: black; }"
    "h2 { color: rgb(16, 96, 30); font-size: 17px; }"
    "h3 { color: rgb(116, 66, 33); font-size: 14px; margin-top: 10px; margin-bottom: 4px; }"
    "table { border-collapse: collapse; border-color: rgb(190, 186, 168); }"
    "td { border-color: rgb(190, 186, 168); }"
    "th { background-color: rgb(218, 216, 205); border-color: rgb(190, 186, 168); }";

QTextBrowser *makePage(int tag, QWidget *parent)
{
    auto *page = new QTextBrowser(parent);
    page->setObjectName(QStringLiteral("memo%1").arg(tag));
    page->setOpenLinks(false);
    page->setFrameShape(QFrame::NoFrame);
    page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The toolkit's colours, not the planks the window's palette carries, for the scroll bars.
    QPalette colours = QApplication::palette();
    colours.setResolveMask(~QPalette::ResolveMask(0)); // every role its own, none inherited
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    page->setPalette(colours);
    QFont text = windowstyle::arial(13);
    page->setFont(text);
    page->document()->setDefaultStyleSheet(QString::fromLatin1(PageStyle));
    return page;
}

QString readPage(const char *resource)
{
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Thelp"));
    setWindowTitle(QStringLiteral("Dorvane - Help File"));
    setFont(windowstyle::arial());
    resize(FormWidth, FormHeight);
    setMinimumSize(360, 300);
    setBackground(windowstyle::woodTile());
    createLayout();
    showPage(m_pageButtons[0]);
}

void Thelp::setBackground(const QPixmap &tile)
{
    windowstyle::setWoodBackground(*this, tile);
}

void Thelp::createLayout()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 8, 8, 8);
    layout->setSpacing(0);
    layout->addWidget(createSidePanel());
    layout->addWidget(createMainPanel(), 1);
    windowstyle::closeOnEscape(*this, [this] { closeWindow(); });
}

// The page buttons from the top, "About" below them, "Done" at the bottom.
QWidget *Thelp::createSidePanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel_side"));
    panel->setFixedWidth(SideWidth);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 0, 8, 0);
    column->setSpacing(5);
    auto addButton = [&](const QString &name, const QString &caption) {
        auto *button = new GradientButton(caption, panel);
        button->setObjectName(name);
        button->setFont(windowstyle::arial(13, true));
        button->setLook(CommandLook);
        button->setFixedHeight(28);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::TabFocus);
        column->addWidget(button);
        return button;
    };
    for (int i = 0; i < PageCount; ++i) {
        GradientButton *button =
            addButton(QStringLiteral("SelButton%1").arg(i + 1), QString::fromLatin1(Pages[i].caption));
        button->setProperty("tag", i + 1);
        button->setCheckable(true);
        button->setLook(PageLook);
        button->setCheckedLook(ChosenPageLook);
        button->setTextIndent(PageTextIndent);
        m_pageButtons[i] = button;
        connect(button, &QPushButton::clicked, this, [this, button] { showPage(button); });
    }
    column->addSpacing(14);
    connect(addButton(QStringLiteral("button_about"), QStringLiteral("About")), &QPushButton::clicked, this,
            &Thelp::showAbout);
    column->addStretch(1);
    connect(addButton(QStringLiteral("button_done"), QStringLiteral("Done")), &QPushButton::clicked, this,
            &Thelp::closeWindow);
    return panel;
}

// The heading band across the top and the stacked pages below it, in a dark frame.
QWidget *Thelp::createMainPanel()
{
    auto *panel = new RoundedPanel(Qt::white, PageFrame, 1, 0, this);
    panel->setObjectName(QStringLiteral("panel_main"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);

    m_caption = new QLabel(panel);
    m_caption->setObjectName(QStringLiteral("label_caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFixedHeight(29);
    m_caption->setFont(windowstyle::arial(17, true));
    QPalette band = m_caption->palette();
    band.setColor(QPalette::Window, CaptionBand);
    band.setColor(QPalette::WindowText, Qt::white);
    m_caption->setPalette(band);
    m_caption->setAutoFillBackground(true);
    // White on the light band stays readable with a soft dark shadow under the letters.
    auto *shadow = new QGraphicsDropShadowEffect(m_caption);
    shadow->setOffset(1.0, 1.0);
    shadow->setBlurRadius(3.0);
    shadow->setColor(QColor(40, 30, 20, 220));
    m_caption->setGraphicsEffect(shadow);
    column->addWidget(m_caption);
    auto *line = new QWidget(panel); // under the band
    line->setFixedHeight(1);
    QPalette lineColour = line->palette();
    lineColour.setColor(QPalette::Window, CaptionLine);
    line->setPalette(lineColour);
    line->setAutoFillBackground(true);
    column->addWidget(line);

    m_stack = new QStackedWidget(panel);
    m_stack->setObjectName(QStringLiteral("panel_pages"));
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i] = makePage(i + 1, m_stack);
        m_stack->addWidget(m_pages[i]);
    }
    column->addWidget(m_stack, 1);
    return panel;
}

void Thelp::loadPages()
{
    if (m_loaded)
        return;
    m_loaded = true;
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i]->setHtml(readPage(Pages[i].resource));
        m_pages[i]->document()->setDocumentMargin(5);
    }
}

void Thelp::showEvent(QShowEvent *event)
{
    loadPages();
    QWidget::showEvent(event);
}

void Thelp::showHelp(const QRect &mainFrame)
{
    windowstyle::centreOn(*this, mainFrame);
    show();
    // The frame's size is known only once the window is shown.
    windowstyle::centreOn(*this, mainFrame);
    raise();
    activateWindow();
}

int Thelp::currentPage() const
{
    return m_stack->currentIndex() + 1;
}

void Thelp::showPage(QPushButton *button)
{
    const int tag = button->property("tag").toInt();
    if (tag < 1 || tag > PageCount)
        return;
    m_stack->setCurrentWidget(m_pages[tag - 1]);
    m_caption->setText(button->text());
    for (QPushButton *pageButton : m_pageButtons)
        pageButton->setChecked(pageButton == button);
}

void Thelp::showAbout()
{
    if (m_showAbout)
        m_showAbout();
}

void Thelp::closeWindow()
{
    hide();
}
