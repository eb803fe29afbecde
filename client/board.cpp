#include "board.h"

#include "boardpictures.h"
#include "boardstyle.h"
#include "framedlineedit.h"
#include "gamedefaults.h"
#include "phaseexamples.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextBrowser>
#include <QToolButton>
#include <cmath>

namespace {

using namespace boardstyle;

constexpr int CardX[] = {0, 4, 173, 342, 511};
constexpr int NameX[] = {0, 13, 182, 351, 520};
constexpr int BonusX[] = {0, 134, 304, 472, 641};
constexpr int EyesX[] = {0, 6, 176, 345, 514};
constexpr int LeftCellX[] = {0, 48, 217, 386, 555};
constexpr int RightCellX[] = {0, 129, 298, 467, 637};
constexpr int ScoreX[] = {0, 85, 254, 422, 592};
constexpr int RowY[] = {0, 187, 206, 225, 244, 263};
constexpr int PhraseX[] = {0, 4, 31, 58, 84, 111, 138, 164, 191, 218, 245};

const char *const SeatHints[] = {"", "", "Klot", "Klick", "Kling"};

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &rect, int pixels, bool bold,
                  const QColor &color, Qt::Alignment align, const QString &text)
{
    // Names and other text from peers pass through these labels: never read as markup.
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setFont(arial(pixels, bold));
    label->setAlignment(align | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TranslucentBackground);
    setTextColor(label, color);
    return label;
}

PictureBox *makePicture(QWidget *parent, const QString &name, const QRect &rect, const QString &resource,
                        bool stretch)
{
    auto *box = new PictureBox(name, rect, parent);
    box->setStretch(stretch);
    if (!resource.isEmpty())
        box->setPicture(resource);
    return box;
}

} // namespace

Board::Board(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("panel_board"));
    resize(Width, Height);
    setFont(arial(11, false));
    // The dice tray and the phase list are both covered with the felt: one decoded copy.
    const QImage felt = boardpictures::layer(QStringLiteral("felt"));
    createDiceTray(felt);
    createStatusLine();
    createSeatCards();
    createButtonRow();
    createChat();
    createPhaseList(felt);
    // The design places and fonts: every control of the board, the chat frame and the list.
    for (QWidget *parent : {static_cast<QWidget *>(this), findChild<QWidget *>(QStringLiteral("FlatPanel1")),
                            findChild<QWidget *>(QStringLiteral("panel_phases"))})
        for (QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            m_layout.add(child);
}

void Board::setScale(qreal scale)
{
    if (scale == m_layout.scale())
        return;
    m_layout.setScale(scale);
    resize(qRound(Width * scale), qRound(Height * scale));
    setFont(ScaledLayout::scaledFont(arial(11, false), scale));
    placeWinner(label_winner->toolTip().isEmpty() ? label_winner->text() : label_winner->toolTip());
    Q_EMIT scaleChanged(scale);
}

void Board::placeDie(int n, int position, bool raised)
{
    m_layout.place(m_dice.at(n), QRect(dieLeft(position), raised ? DieRaised : DieLying, 48, 48));
}

void Board::setColourSymbols(bool on)
{
    m_colourSymbols = on;
    showExample();
}

void Board::showExample()
{
    if (m_illustration)
        image_example->setLayers({boardpictures::example(*m_illustration, m_colourSymbols)});
    else
        image_example->setLayers({});
}

void Board::createDiceTray(const QImage &felt)
{
    makePicture(this, QStringLiteral("Image6"), QRect(1, 1, 682, 129), QString(), true)
        ->setPicture(QStringLiteral("felt"), felt);
    for (int i = 1; i <= 10; ++i) {
        auto *die = new PictureBox(QStringLiteral("image_d%1").arg(i), QRect(dieLeft(i), DieLying, 48, 48), this);
        die->Tag = i;
        connect(die, &PictureBox::mouseReleased, this, [this, i](Qt::MouseButton b) { Q_EMIT dieReleased(i, b); });
        m_dice[i] = die;
    }
    // Below the dice, in one row: the last turn's dice stay in sight when the game ends.
    image_winner = makePicture(this, QStringLiteral("image_winner"), QRect(0, WinnerRowTop, 0, WinnerRowHeight),
                               QStringLiteral("winner"), true);
    image_winner->hide();
    label_phase = makeLabel(this, QStringLiteral("label_phase"), QRect(66, 68, 552, 16), 13, true, White,
                            Qt::AlignHCenter, ClientModel::WelcomeLine);
    label_winner = makeLabel(this, QStringLiteral("label_winner"), QRect(0, WinnerRowTop, 0, WinnerRowHeight),
                             WinnerPixels, true, White, Qt::AlignLeft, ClientModel::WinnerTitle);
    label_winner->hide();
    placeWinner(ClientModel::WinnerTitle);
    button_roll = new PictureButton(QStringLiteral("button_roll"), QRect(214, 89, 128, 36),
                                    QStringLiteral("button_roll"), QStringLiteral("ROLL DICE"), this);
    button_roll->hide();
    button_alldone = new PictureButton(QStringLiteral("button_alldone"), QRect(350, 89, 128, 36),
                                       QStringLiteral("button_alldone"), QStringLiteral("ALL DONE"), this);
    button_alldone->hide();
    button_start = new PictureButton(QStringLiteral("button_start"), QRect(268, 93, 154, 36),
                                     QStringLiteral("button_start"), QStringLiteral("START GAME"), this);
    label_round = makeLabel(this, QStringLiteral("label_round"), QRect(8, 111, 56, 16), 13, true, White,
                            Qt::AlignLeft, QStringLiteral("Round: 0"));
    QLabel *rolls = makeLabel(this, QStringLiteral("Label17"), QRect(576, 111, 31, 16), 13, true, White,
                              Qt::AlignRight, QStringLiteral("Rolls"));
    // Grows to the left when the font is wider than the board was drawn for.
    const int rollsWidth = qMax(31, rolls->sizeHint().width());
    rolls->setGeometry(607 - rollsWidth, 111, rollsWidth, 16);
    image_rolls =
        makePicture(this, QStringLiteral("image_rolls"), QRect(610, 104, 66, 22), boardpictures::rolls(3), false);
}

void Board::createStatusLine()
{
    label_status = makeLabel(this, QStringLiteral("label_status"), QRect(9, 130, 672, 16), 16, true, lightGreen(),
                             Qt::AlignHCenter, QStringLiteral("xxxxxxxx"));
}

void Board::createSeatCards()
{
    image_Turn =
        makePicture(this, QStringLiteral("image_Turn"), QRect(171, 150, 171, 181), QStringLiteral("turn"), true);
    image_Turn->hide();
    const QString cardNames[] = {QString(), QStringLiteral("c"), QStringLiteral("Image2"),
                                 QStringLiteral("Image3"), QStringLiteral("Image4")};
    for (int s = 1; s <= ClientState::numseats; ++s)
        makePicture(this, cardNames[s], QRect(CardX[s], 151, 168, 179), QStringLiteral("card"), false);
    for (int s = 1; s <= ClientState::numseats; ++s)
        createSeatLabels(s);
}

void Board::createSeatLabels(int s)
{
    QLabel *name = makeLabel(this, QStringLiteral("label_playername%1").arg(s), QRect(NameX[s], 158, 125, 18), 15,
                             true, DarkGreen, Qt::AlignLeft, ClientModel::WaitingName);
    name->setProperty("Tag", s);
    name->setToolTip(QString::fromLatin1(SeatHints[s]));
    name->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(name, &QWidget::customContextMenuRequested, this,
            [this, s, name](const QPoint &pos) { Q_EMIT seatMenuRequested(s, name->mapToGlobal(pos)); });
    m_names[s] = name;
    m_bonus[s] = makeLabel(this, QStringLiteral("label_bonus%1").arg(s), QRect(BonusX[s], 158, 28, 18), 13, true,
                           DarkGreen, Qt::AlignRight, QStringLiteral("0"));
    m_eyes[s] = makePicture(this, QStringLiteral("image_eyes%1").arg(s), QRect(EyesX[s], 154, 27, 13),
                            QStringLiteral("eyes"), true);
    m_eyes[s]->hide();
    for (int row = 1; row <= 12; ++row) {
        const bool bonusRow = row > 10;
        const int x = (row <= 5 || row == 11) ? LeftCellX[s] : RightCellX[s];
        const int y = bonusRow ? 285 : RowY[(row - 1) % 5 + 1];
        m_cells[s][row] = makeLabel(this, QStringLiteral("p_%1%2").arg(s).arg(row), QRect(x, y, 36, 18), 15, true,
                                    bonusRow ? DarkGreen : CellGreen, Qt::AlignHCenter, QStringLiteral("0"));
    }
    m_scores[s] = makeLabel(this, QStringLiteral("label_score%1").arg(s), QRect(ScoreX[s], 308, 36, 18), 15, true,
                            Black, Qt::AlignHCenter, QStringLiteral("0"));
}

void Board::createButtonRow()
{
    for (int n = 1; n <= 10; ++n) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        button->setGeometry(PhraseX[n], 334, 25, 19);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setProperty("picture", QStringLiteral("phrase%1").arg(n));
        button->setIcon(QIcon(boardpictures::load(QStringLiteral("phrase%1").arg(n))));
        button->setIconSize(QSize(25, 19));
        button->setToolTip(n <= 9 ? QString::fromLatin1(gamedefaults::Phrases[n - 1])
                                  : QStringLiteral("/me waves \"Good-Bye\""));
        b_phrase[n] = button;
    }
    auto *logo =
        makePicture(this, QStringLiteral("image_logo"), QRect(343, 333, 155, 22), QStringLiteral("logo"), true);
    logo->setCursor(Qt::PointingHandCursor);
}

void Board::createChat()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("FlatPanel1"));
    frame->setGeometry(4, 356, 492, 155);
    // White inside a plain black line.
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    QPalette white = frame->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(white);
    frame->setAutoFillBackground(true);
    mainchat = new QTextBrowser(frame);
    mainchat->setObjectName(QStringLiteral("mainchat"));
    mainchat->setGeometry(2, 2, 488, 151);
    mainchat->setFrameShape(QFrame::NoFrame);
    mainchat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mainchat->setOpenLinks(false);
    mainchat->document()->setDocumentMargin(5);
    mainchat->setFont(arial(11, false));
    mychat = new FramedLineEdit(QStringLiteral("<Enter Chat Here>"), this);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setGeometry(4, 513, 461, 22);
    mychat->setFont(arial(13, false));
    button_smilies = new QToolButton(this);
    button_smilies->setObjectName(QStringLiteral("button_smilies"));
    button_smilies->setGeometry(468, 515, 25, 19);
    button_smilies->setAutoRaise(true);
    button_smilies->setFocusPolicy(Qt::NoFocus);
    button_smilies->setProperty("picture", QStringLiteral("smileybutton"));
    button_smilies->setIcon(QIcon(boardpictures::load(QStringLiteral("smileybutton"))));
    button_smilies->setIconSize(QSize(25, 19));
    button_smilies->setToolTip(QStringLiteral("See ya!"));
}

void Board::createPhaseList(const QImage &felt)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel_phases"));
    panel->setGeometry(502, 334, 177, 201);
    makePicture(panel, QStringLiteral("Image7"), QRect(4, 4, 169, 193), QString(), true)
        ->setPicture(QStringLiteral("felt"), felt);
    image_example = makePicture(panel, QStringLiteral("image_example"), QRect(11, 8, 151, 16),
                                boardpictures::example(0), false);
    for (int p = 1; p <= 10; ++p) {
        m_examples[p] =
            makeLabel(panel, QStringLiteral("label_example%1").arg(p), QRect(8, phaseexamples::RowY[p], 165, 16),
                      12, false, White, Qt::AlignLeft, QString::fromLatin1(phaseexamples::Texts[p]));
        m_examples[p]->setProperty("Tag", p);
        m_phaseStyles[p] = PhaseStyle::Plain;
    }
}

void Board::render(const ClientModel &model, const TurnButtons &buttons)
{
    for (int s = 1; s <= ClientState::numseats; ++s)
        renderSeat(s, model.seats[s]);
    if (ClientState::isSeat(model.markerSeat)) {
        QRect turn = m_layout.design(image_Turn);
        turn.moveLeft(m_layout.design(m_names[model.markerSeat]).x() - 10);
        m_layout.place(image_Turn, turn);
    }
    image_Turn->setVisible(model.stage == GameStage::Running);
    placeWinner(model.winnerLine);
    image_winner->setVisible(model.stage == GameStage::Over);
    label_winner->setVisible(model.stage == GameStage::Over);
    label_phase->setText(model.phaseLine);
    label_status->setText(model.statusLine);
    setRound(model.round);
    image_rolls->setLayers({boardpictures::rolls(qBound(0, model.rollsUsed, 3))});
    for (int p = 1; p <= 10; ++p)
        setPhaseStyle(p, model.phaseMarks[p]);
    m_illustration = model.illustration;
    showExample();
    button_roll->setVisible(buttons.roll);
    button_alldone->setVisible(buttons.allDone);
    button_start->setVisible(buttons.start);
}

void Board::placeWinner(const QString &line)
{
    // The picture keeps its proportions at the row's height; the pair is centred on the
    // board. A line too long for the tray is drawn smaller, down to WinnerSmallestPixels,
    // and only beyond that cut with an ellipsis (whole in its tip).
    constexpr int PictureWidth = 210; // the WINNER picture as drawn, 210 x 43
    constexpr int PictureHeight = 43;
    constexpr int bannerWidth = (WinnerRowHeight * PictureWidth + PictureHeight / 2) / PictureHeight;
    const int room = Width - 2 * WinnerRowMargin - bannerWidth - WinnerGap;
    int pixels = WinnerPixels;
    while (pixels > WinnerSmallestPixels && QFontMetrics(arial(pixels, true)).horizontalAdvance(line) + 2 > room)
        --pixels;
    const QFont font = arial(pixels, true);
    if (m_layout.designFont(label_winner) != font)
        m_layout.setFont(label_winner, font);
    const QFontMetrics metrics(font);
    const int textWidth = qMin(metrics.horizontalAdvance(line) + 2, room);
    const QString shown = textWidth < room ? line : metrics.elidedText(line, Qt::ElideRight, room);
    const int left = (Width - bannerWidth - WinnerGap - textWidth) / 2;
    m_layout.place(image_winner, QRect(left, WinnerRowTop, bannerWidth, WinnerRowHeight));
    m_layout.place(label_winner, QRect(left + bannerWidth + WinnerGap, WinnerRowTop, textWidth, WinnerRowHeight));
    label_winner->setText(shown);
    label_winner->setToolTip(shown == line ? QString() : line);
}

void Board::renderSeat(int s, const SeatModel &seat)
{
    m_names[s]->setText(seat.shownName());
    m_scores[s]->setText(QString::number(seat.total));
    m_bonus[s]->setText(seat.resultText());
    m_eyes[s]->setVisible(seat.watching);
    for (int row = 1; row <= ClientModel::NumRows; ++row)
        m_cells[s][row]->setText(seat.sheet[row].text());
}

void Board::setRound(int round)
{
    const QString text = QStringLiteral("Round: %1").arg(round);
    if (label_round->text() == text)
        return;
    label_round->setText(text);
    // The width the scaled text needs, in design pixels.
    QRect design = m_layout.design(label_round);
    design.setWidth(qMax(56, int(std::ceil(label_round->sizeHint().width() / scale()))));
    m_layout.place(label_round, design);
}

void Board::setPhaseStyle(int phase, PhaseStyle style)
{
    if (phase < 1 || phase > 10)
        return;
    if (m_phaseStyles[phase] == style)
        return;
    QLabel *label = m_examples[phase];
    m_layout.setFont(label, arial(12, style == PhaseStyle::Current));
    setTextColor(label, style == PhaseStyle::Plain ? White : style == PhaseStyle::Done ? silver() : lightGreen());
    m_phaseStyles[phase] = style;
}

void Board::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
