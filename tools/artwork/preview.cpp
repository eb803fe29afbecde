// Contact sheet and board mock-up.
#include "preview.h"

#include "canvas.h"
#include "catalogue.h"
#include "phaseexamples.h"

#include <QHash>
#include <QPainter>
#include <array>

namespace preview {

namespace {

using Images = QHash<QString, QImage>;

Images renderAll(int scale)
{
    Images images;
    for (const catalogue::Picture &picture : catalogue::pictures())
        images.insert(picture.name, catalogue::renderPicture(picture, scale));
    return images;
}

void checker(QPainter &p, const QRect &r)
{
    p.save();
    p.setClipRect(r);
    for (int y = r.top(); y < r.bottom(); y += 8)
        for (int x = r.left(); x < r.right(); x += 8)
            p.fillRect(x, y, 8, 8,
                       ((x - r.left()) / 8 + (y - r.top()) / 8) % 2 ? QColor(200, 200, 200)
                                                                    : QColor(236, 236, 236));
    p.restore();
}

// Places images left to right, wrapping at the sheet's width.
struct Flow
{
    QPainter &p;
    int width;
    int x = 10, y = 10, rowHeight = 0;

    void place(const QImage &image, const QString &caption)
    {
        const QSize size = image.size();
        const int cell = std::max(size.width(), 60);
        if (x + cell > width - 10) {
            x = 10;
            y += rowHeight + 22;
            rowHeight = 0;
        }
        checker(p, QRect(QPoint(x, y), size));
        p.drawImage(x, y, image);
        p.setPen(Qt::black);
        p.setFont(art::font(QStringLiteral("DejaVu Sans"), 9, false));
        p.drawText(QRect(x, y + size.height() + 2, cell, 14), Qt::AlignLeft, caption);
        x += cell + 12;
        rowHeight = std::max(rowHeight, size.height());
    }
};

} // namespace

QImage contactSheet()
{
    const Images one = renderAll(1);
    QImage sheet(1200, 2600, QImage::Format_RGB32);
    sheet.fill(QColor(250, 250, 250));
    QPainter p(&sheet);
    Flow flow{p, sheet.width()};
    for (const catalogue::Picture &picture : catalogue::pictures())
        flow.place(one.value(picture.name), picture.name);
    for (const catalogue::Picture &picture : catalogue::pictures()) {
        if (picture.name.startsWith(QLatin1String("dice/")) || picture.name.startsWith(QLatin1String("smiley"))
            || picture.name.startsWith(QLatin1String("phrase")) || picture.name == QLatin1String("card")
            || picture.name.startsWith(QLatin1String("button")))
            flow.place(catalogue::renderPicture(picture, 2), picture.name + QStringLiteral("@2x"));
    }
    p.end();
    return sheet.copy(0, 0, sheet.width(), std::min(sheet.height(), flow.y + flow.rowHeight + 30));
}

namespace {

// Positions below are relative to the board panel, which sits at (5, 3).
constexpr QPoint Panel(5, 3);

struct Die
{
    int value;
    int colour;
    bool kept;
};

constexpr std::array<Die, 10> SampleDice{{{2, 3, false},
                                          {0, 2, true},
                                          {4, 4, false},
                                          {1, 1, false},
                                          {5, 3, true},
                                          {7, 1, false},
                                          {6, 4, true},
                                          {9, 2, false},
                                          {8, 1, false},
                                          {10, 3, false}}};

void text(QPainter &p, const QRect &r, const QString &s, qreal size, bool bold, const QColor &c,
          Qt::Alignment align = Qt::AlignLeft, const QString &family = QStringLiteral("Liberation Sans"))
{
    p.setFont(art::font(family, size, bold));
    p.setPen(c);
    p.drawText(r, align | Qt::AlignVCenter, s);
}

void layer(QPainter &p, const Images &img, const QString &name, QPointF at)
{
    const QImage &i = img.value(name);
    p.drawImage(QRectF(at, QSizeF(i.size()) / i.devicePixelRatio()), i);
}

void drawTray(QPainter &p, const Images &img)
{
    p.drawImage(QRectF(1, 1, 682, 129), img.value(QStringLiteral("felt")));
    for (int i = 0; i < 10; ++i) {
        const Die &d = SampleDice[i];
        const QPointF at(11 + 56 * i, d.kept ? 5 : 15);
        layer(p, img, QStringLiteral("dice/body%1").arg(d.colour), at);
        layer(p, img, QStringLiteral("dice/face%1").arg(d.value), at);
        if (d.kept)
            layer(p, img, QStringLiteral("dice/keep"), at);
    }
    text(p, QRect(66, 68, 552, 16), QStringLiteral("PH4: RUN of 7"), 13, true, Qt::white, Qt::AlignHCenter);
    layer(p, img, QStringLiteral("button_roll"), QPointF(214, 89));
    layer(p, img, QStringLiteral("button_alldone"), QPointF(350, 89));
    text(p, QRect(8, 111, 56, 16), QStringLiteral("Round: 3"), 13, true, Qt::white);
    text(p, QRect(576, 111, 31, 16), QStringLiteral("Rolls"), 13, true, Qt::white);
    layer(p, img, QStringLiteral("rolls1"), QPointF(610, 104));
    text(p, QRect(9, 130, 672, 16), QStringLiteral("Your Turn"), 16, true, QColor(143, 245, 5), Qt::AlignHCenter);
}

void drawCards(QPainter &p, const Images &img)
{
    const std::array<int, 4> cardX{4, 173, 342, 511};
    const std::array<int, 4> nameX{13, 182, 351, 520};
    const std::array<QString, 4> names{QStringLiteral("Petra"), QStringLiteral("Klot"), QStringLiteral("Hugo"),
                                       QStringLiteral("<Waiting>")};
    p.drawImage(QRectF(nameX[0] - 10, 150, 171, 181), img.value(QStringLiteral("turn")));
    for (int s = 0; s < 4; ++s) {
        layer(p, img, QStringLiteral("card"), QPointF(cardX[s], 151));
        const int dx = cardX[s] - 4;
        text(p, QRect(nameX[s], 158, 125, 18), names[s], 15, true, QColor(0, 100, 0));
        text(p, QRect(134 + dx, 158, 28, 18), QString::number(s == 0 ? 1 : 0), 13, true, QColor(0, 100, 0),
             Qt::AlignRight);
        const std::array<int, 5> rows{187, 206, 225, 244, 263};
        for (int r = 0; r < 5; ++r) {
            const int left = (s < 3 && r < 3 - s) ? 20 + 7 * r + s : 0;
            text(p, QRect(48 + dx, rows[r], 36, 18), QString::number(left), 15, true, QColor(0, 128, 0),
                 Qt::AlignHCenter);
            text(p, QRect(129 + dx, rows[r], 36, 18), QStringLiteral("0"), 15, true, QColor(0, 128, 0),
                 Qt::AlignHCenter);
        }
        text(p, QRect(48 + dx, 285, 36, 18), QStringLiteral("0"), 15, true, QColor(0, 100, 0), Qt::AlignHCenter);
        text(p, QRect(129 + dx, 285, 36, 18), QStringLiteral("0"), 15, true, QColor(0, 100, 0), Qt::AlignHCenter);
        text(p, QRect(85 + dx, 308, 36, 18),
             QString::number(s == 0   ? 70
                             : s == 1 ? 23
                                      : 0),
             15, true, Qt::black, Qt::AlignHCenter);
    }
    p.drawImage(QRectF(514, 154, 27, 13), img.value(QStringLiteral("eyes")));
}

void drawButtonRow(QPainter &p, const Images &img)
{
    const std::array<int, 10> x{4, 31, 58, 84, 111, 138, 164, 191, 218, 245};
    for (int i = 0; i < 10; ++i)
        layer(p, img, QStringLiteral("phrase%1").arg(i + 1), QPointF(x[i], 334));
    layer(p, img, QStringLiteral("logo"), QPointF(343, 333));
}

void drawChat(QPainter &p, const Images &img)
{
    p.fillRect(QRect(4, 356, 492, 155), Qt::white);
    p.setPen(QColor(120, 120, 120));
    p.drawRect(QRectF(4.5, 356.5, 491, 154));
    p.fillRect(QRect(479, 358, 15, 151), QColor(230, 230, 230));
    text(p, QRect(11, 360, 460, 16), QStringLiteral("You are Connected."), 13, true, Qt::blue);
    text(p, QRect(11, 376, 460, 16), QStringLiteral("Petra chats: good luck everyone"), 13, true,
         QColor(128, 0, 0));
    text(p, QRect(11, 392, 460, 16), QStringLiteral("Klot chats: Way To Go!"), 13, true, QColor(0, 0, 128));
    for (int i = 0; i < 6; ++i)
        layer(p, img, QStringLiteral("smiley%1").arg(i * 3 + 1, 2, 10, QLatin1Char('0')),
              QPointF(170 + 19 * i, 392));
    p.fillRect(QRect(4, 513, 461, 22), Qt::white);
    text(p, QRect(8, 513, 450, 22), QStringLiteral("<Enter Chat Here>"), 13, false, Qt::black);
    layer(p, img, QStringLiteral("smileybutton"), QPointF(468, 515));
}

void drawPhaseList(QPainter &p, const Images &img)
{
    const QPoint at(502, 334);
    p.drawImage(QRectF(at + QPoint(4, 4), QSizeF(169, 193)), img.value(QStringLiteral("felt")));
    layer(p, img, QStringLiteral("examples4"), at + QPoint(11, 8));
    for (int i = 0; i < 10; ++i) {
        const bool current = i == 3;
        text(p, QRect(at.x() + 8, at.y() + phaseexamples::RowY[i + 1], 165, 15),
             QString::fromLatin1(phaseexamples::Texts[i + 1]), 12, current,
             current ? QColor(143, 245, 5) : QColor(192, 192, 192));
    }
}

} // namespace

QImage boardMockup(int scale)
{
    Images img = renderAll(scale);
    for (QImage &i : img)
        i.setDevicePixelRatio(scale);
    return art::render(QSize(692, 544), scale, [&img](QPainter &p, int) {
        const QImage &wood = img.value(QStringLiteral("wood"));
        for (int y = 0; y < 544; y += 128)
            for (int x = 0; x < 692; x += 300)
                p.drawImage(QRectF(x, y, 300, 128), wood);
        p.translate(Panel);
        p.setPen(Qt::black);
        p.drawRect(QRectF(0.5, 0.5, 683, 537));
        drawTray(p, img);
        drawCards(p, img);
        drawButtonRow(p, img);
        drawChat(p, img);
        drawPhaseList(p, img);
    });
}

} // namespace preview
