// Board: the board panel panel_board with every named control of the game board.
#pragma once

#include "boardstyle.h"
#include "clientmodel.h"
#include "scaledlayout.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

class PictureBox;
class PictureButton;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;

// The 684 x 538 panel. It creates the controls at their places with their object names,
// fonts, colours and first texts; what they show later is drawn from the client's model by
// render (the dice by the dice tray). Indices: seat 1 to 4, die 1 to 10, row 1 to 12, phase 1 to 10.
// At a scale above 1 every control is placed and lettered that many times larger (the
// places and fonts above are the design, kept by layout()).
class Board : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Width = 684;
    static constexpr int Height = 538;
    static constexpr int DieLying = 15;
    static constexpr int DieRaised = 5;
    // The row of the WINNER picture and the winner line, between the lying dice (bottom at
    // 63) and the START GAME button (top at 93).
    static constexpr int WinnerRowTop = 65;
    static constexpr int WinnerRowHeight = 27;
    static constexpr int WinnerGap = 8;
    static constexpr int WinnerRowMargin = 8;
    // The winner line's bold Arial, and the smallest it is drawn at to fit the row.
    static constexpr int WinnerPixels = 19;
    static constexpr int WinnerSmallestPixels = 12;

    using PhaseStyle = PhaseMark; // white, silver, bold light green

    explicit Board(QWidget *parent = nullptr);

    // Left edge of the die shown at display position 1 to 10.
    static int dieLeft(int position) { return 11 + 56 * position; }

    PictureBox *die(int n) const { return m_dice.at(n); }
    QLabel *playerName(int seat) const { return m_names.at(seat); }
    QLabel *score(int seat) const { return m_scores.at(seat); }
    QLabel *bonus(int seat) const { return m_bonus.at(seat); }
    QLabel *cell(int seat, int row) const { return m_cells.at(seat).at(row); }
    PictureBox *eyes(int seat) const { return m_eyes.at(seat); }
    QLabel *example(int phase) const { return m_examples.at(phase); }

    QLabel *label_phase = nullptr;
    QLabel *label_winner = nullptr;
    QLabel *label_round = nullptr;
    QLabel *label_status = nullptr;
    PictureBox *image_winner = nullptr;
    PictureBox *image_rolls = nullptr;
    PictureBox *image_Turn = nullptr;
    PictureBox *image_example = nullptr;
    PictureButton *button_roll = nullptr;
    PictureButton *button_alldone = nullptr;
    PictureButton *button_start = nullptr;
    QTextBrowser *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    QToolButton *button_smilies = nullptr;
    std::array<QToolButton *, 11> b_phrase{}; // 1 to 10

    // Shows the model: names, scores, sheets, marks, texts, the phase list and the buttons.
    void render(const ClientModel &model, const TurnButtons &buttons);

    // Lays the board out at scale (1 is the design size); emits scaleChanged.
    void setScale(qreal scale);
    qreal scale() const { return m_layout.scale(); }
    // The controls' design places and fonts; a control moved or restyled goes through it.
    ScaledLayout &layout() { return m_layout; }
    const ScaledLayout &layout() const { return m_layout; }
    // Places die n at display position 1 to 10, lying or raised.
    void placeDie(int n, int position, bool raised);

    // Draws the colour symbols on the phase list's example dice (the dice tray draws them on
    // the board's dice).
    void setColourSymbols(bool on);
    bool colourSymbols() const { return m_colourSymbols; }

    // "Round: " and the number; the label grows with a long number instead of cutting it.
    void setRound(int round);

    // Sets the font and colour of phase list label p.
    void setPhaseStyle(int phase, PhaseStyle style);
    PhaseStyle phaseStyle(int phase) const { return m_phaseStyles.at(phase); }

    static QColor lightGreen() { return boardstyle::LightGreen; }
    static QColor silver() { return boardstyle::Silver; }

Q_SIGNALS:
    // Emitted when a mouse button is released over die n (1 to 10).
    void dieReleased(int n, Qt::MouseButton button);
    // Emitted when the context menu is asked for on seat s's name label.
    void seatMenuRequested(int seat, const QPoint &globalPos);
    // Emitted when the board is laid out at another scale.
    void scaleChanged(qreal scale);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void createDiceTray(const QImage &felt);
    void createStatusLine();
    void createSeatCards();
    void createSeatLabels(int seat);
    void createButtonRow();
    void createChat();
    void createPhaseList(const QImage &felt);
    void renderSeat(int seat, const SeatModel &model);
    // Places the WINNER picture and the winner line side by side below the dice.
    void placeWinner(const QString &line);
    void showExample();

    std::array<PictureBox *, 11> m_dice{};
    std::array<QLabel *, 5> m_names{};
    std::array<QLabel *, 5> m_scores{};
    std::array<QLabel *, 5> m_bonus{};
    std::array<PictureBox *, 5> m_eyes{};
    std::array<std::array<QLabel *, 13>, 5> m_cells{};
    std::array<QLabel *, 11> m_examples{};
    std::array<PhaseStyle, 11> m_phaseStyles{};
    ScaledLayout m_layout;
    std::optional<int> m_illustration; // the phase whose example strip is shown
    bool m_colourSymbols = false;
};
