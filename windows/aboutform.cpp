#include "aboutform.h"

#include "gradientbutton.h"
#include "roundedpanel.h"
#include "version.h"
#include "windowstyle.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Parchment(244, 245, 214);

// ":/images/<name>.png", its "@2x" twin when painting for a high-density screen.
QPixmap picture(const QString &name, qreal ratio)
{
    if (ratio > 1.0) {
        QPixmap large(QStringLiteral(":/images/%1@2x.png").arg(name));
        if (!large.isNull()) {
            large.setDevicePixelRatio(2.0);
            return large;
        }
    }
    return QPixmap(QStringLiteral(":/images/%1.png").arg(name));
}

void drawDie(QPainter &painter, const QPointF &centre, qreal angle, int color, int face, qreal ratio)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    const QRectF box(-17, -17, 34, 34);
    painter.drawPixmap(box, picture(QStringLiteral("dice/body%1").arg(color), ratio), QRectF());
    painter.drawPixmap(box, picture(QStringLiteral("dice/face%1").arg(face), ratio), QRectF());
    painter.restore();
}

// The widest text that fits: the font at its design size, or smaller until text is at most
// width pixels wide (the stand-in for Arial differs from one desktop to another).
QFont fittedFont(QFont font, int pixelSize, const QString &text, qreal width)
{
    for (; pixelSize > 8; --pixelSize) {
        font.setPixelSize(pixelSize);
        QPainterPath path;
        path.addText(0, 0, font, text);
        if (path.boundingRect().width() <= width)
            break;
    }
    font.setPixelSize(pixelSize);
    return font;
}

// The name and the motto, centred in the space between the dice and the rim.
void drawTitle(QPainter &painter, const QRectF &frame)
{
    constexpr qreal Outline = 3.0;
    const QRectF space(84, frame.top(), frame.right() - 10 - 84, frame.height());
    const QString name = QStringLiteral("DORVANE");
    QFont big(QStringLiteral("Arial"));
    big.setBold(true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    big = fittedFont(big, 31, name, space.width() - Outline);
    QPainterPath title;
    title.addText(0, 0, big, name);
    title.translate(space.center().x() - title.boundingRect().center().x(), 39);
    QLinearGradient gold(0, frame.top() + 12, 0, frame.top() + 40);
    gold.setColorAt(0.0, QColor(255, 236, 150));
    gold.setColorAt(1.0, QColor(214, 150, 20));
    painter.setPen(QPen(QColor(60, 30, 8), Outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(title);
    painter.fillPath(title, gold);

    const QString motto = QStringLiteral("TEN DICE \u00b7 TEN PHASES");
    QFont small(QStringLiteral("Arial"));
    small.setBold(true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    painter.setFont(fittedFont(small, 10, motto, space.width()));
    painter.setPen(QColor(230, 245, 220));
    painter.drawText(QRectF(space.left(), 44, space.width(), 14), Qt::AlignHCenter | Qt::AlignVCenter, motto);
}

// The game's logo (243 x 66): two dice and the name on a felt plaque with a gold rim.
QPixmap gameLogo(qreal ratio)
{
    QPixmap logo(QSize(243, 66) * ratio);
    logo.setDevicePixelRatio(ratio);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);

    const QRectF frame(1.5, 1.5, 240, 63);
    QPainterPath plaque;
    plaque.addRoundedRect(frame, 9, 9);
    painter.fillPath(plaque, QColor(16, 96, 30));
    painter.save();
    painter.setClipPath(plaque);
    const QPixmap felt = picture(QStringLiteral("felt"), ratio);
    if (!felt.isNull())
        painter.drawTiledPixmap(frame, felt);
    painter.restore();
    painter.setPen(QPen(QColor(214, 160, 40), 3.0));
    painter.drawPath(plaque);
    painter.setPen(QPen(QColor(70, 40, 10, 160), 1.0));
    painter.drawRoundedRect(frame.adjusted(2.5, 2.5, -2.5, -2.5), 7, 7);

    drawDie(painter, QPointF(30, 36), -14, 1, 10, ratio);
    drawDie(painter, QPointF(60, 30), 11, 4, 0, ratio);
    drawTitle(painter, frame);
    return logo;
}

} // namespace

Tabout::Tabout(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Tabout"));
    setWindowTitle(QStringLiteral("Dorvane - About"));
    setFixedSize(FormWidth, FormHeight);
    setFont(windowstyle::arial());
    setBackground(windowstyle::woodTile());
    createLayout();
}

void Tabout::setBackground(const QPixmap &tile)
{
    windowstyle::setWoodBackground(*this, tile);
}

QLabel *Tabout::addText(const QString &name, const QString &text, const QRect &geometry, const TextLook &look)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(windowstyle::arial(look.pixels, look.bold));
    label->setAlignment(look.alignment);
    windowstyle::setTextColour(*label, look.colour);
    return label;
}

// Fixed layout: the logo on the wood, the rest on a parchment card below it.
void Tabout::createLayout()
{
    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("image_gamelogo"));
    logo->setGeometry(30, 5, 243, 66);
    logo->setPixmap(gameLogo(qApp->devicePixelRatio()));

    auto *card = new RoundedPanel(Parchment, windowstyle::RimBrown, 1, 6, this);
    card->setObjectName(QStringLiteral("Panel1"));
    card->setGeometry(6, 74, 292, 94);

    m_url1 = new TURL(this);
    m_url1->setObjectName(QStringLiteral("URL1"));
    m_url1->setAddress(QString::fromLatin1(MakerAddress));
    m_url1->setGeometry(12, 78, 280, 17);
    m_url1->setAlignment(Qt::AlignCenter);
    QFont linkFont = font();
    linkFont.setPixelSize(13);
    linkFont.setBold(true);
    m_url1->setFont(linkFont);

    addText(QStringLiteral("Label1"), QStringLiteral("Programmed by:"), QRect(62, 97, 88, 16),
            {QColor(40, 30, 20), 12, false, Qt::AlignRight | Qt::AlignVCenter});
    addText(QStringLiteral("Label2"), QStringLiteral("Vorn22 Software"), QRect(154, 97, 110, 16),
            {QColor(0, 100, 0), 12, true});
    const TextLook notice{QColor(95, 80, 60), 10, false, Qt::AlignCenter};
    addText(QStringLiteral("Label3"), QStringLiteral("Copyright \u00a9 2003-2005 Vorn22 Software."),
            QRect(12, 114, 280, 13), notice);
    addText(QStringLiteral("Label4"), QStringLiteral("Free to play and to share unchanged. All rights reserved."),
            QRect(12, 126, 280, 13), notice);

    const TextLook red{QColor(200, 0, 0), 12, true};
    QLabel *caption = addText(QStringLiteral("Label5"), QStringLiteral("Version"), QRect(16, 145, 48, 16), red);
    QLabel *version = addText(QStringLiteral("version"), QString::fromLatin1(GameVersion), QRect(), red);
    version->adjustSize();
    version->move(caption->x() + caption->width() + 2, 145);
    QLabel *build = addText(QStringLiteral("Label6"), QStringLiteral(".9"), QRect(), red);
    build->adjustSize();
    build->move(version->x() + version->width(), 145);

    m_done = new GradientButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("Button1"));
    m_done->setGeometry(214, 140, 76, 24);
    m_done->setCursor(Qt::PointingHandCursor);
    m_done->setDefault(true);
    connect(m_done, &QPushButton::clicked, this, &Tabout::closeWindow);
    windowstyle::closeOnEscape(*this, [this] { closeWindow(); });
}

void Tabout::showAbout(const QRect &mainFrame)
{
    windowstyle::centreOn(*this, mainFrame);
    show();
    // The frame's size is known only once the window is shown.
    windowstyle::centreOn(*this, mainFrame);
    raise();
    activateWindow();
    // Enter is "Done": the link opens by Enter only once Tab has taken the focus to it.
    m_done->setFocus();
}

void Tabout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_done->click();
    else
        QWidget::keyPressEvent(event);
}

bool Tabout::openMakerSite()
{
    return m_url1->open();
}

void Tabout::setOpener(TURL::Opener opener)
{
    m_url1->setOpener(std::move(opener));
}

void Tabout::closeWindow()
{
    hide();
}
