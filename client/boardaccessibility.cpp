#include "boardaccessibility.h"

#include "board.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolButton>

namespace {

void setName(QWidget *widget, const QString &name, const QString &description = QString())
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

} // namespace

BoardAccessibility::BoardAccessibility(Board &board)
    : m_board(board)
{
    setName(m_board.button_start, QStringLiteral("Start Game"), QStringLiteral("Ctrl+N"));
    setName(m_board.button_alldone, QStringLiteral("All Done"), QStringLiteral("Ctrl+D"));
    setName(m_board.mychat, QStringLiteral("Chat line"), QStringLiteral("Enter sends the line"));
    setName(m_board.mainchat, QStringLiteral("Chat"));
    setName(m_board.button_smilies, QStringLiteral("Smileys"));
    setName(m_board.b_phrase[10], QStringLiteral("Chatter sounds"));
}

QString BoardAccessibility::colourName(int colour)
{
    static const char *const Names[] = {"", "gold", "blue", "green", "magenta"};
    return colour >= 1 && colour <= 4 ? QString::fromLatin1(Names[colour]) : QString();
}

QString BoardAccessibility::dieText(int position, const TDie &die, bool drawn)
{
    const QString place = QStringLiteral("Die %1 of %2: ").arg(position).arg(NumDice);
    if (!drawn)
        return place + QStringLiteral("not rolled");
    const QString number = die.value == 0 ? QStringLiteral("wild") : QString::number(die.value);
    const QString colour = colourName(die.color);
    return place + (colour.isEmpty() ? number : colour + QLatin1Char(' ') + number)
           + (die.selected ? QStringLiteral(", kept") : QStringLiteral(", not kept"));
}

int BoardAccessibility::nextPhase(const SeatModel &seat)
{
    for (int phase = 1; phase <= ClientModel::NumPhases; ++phase) {
        if (seat.sheet[phase].kind == SheetCell::Kind::Empty)
            return phase;
    }
    return ClientModel::NumPhases + 1;
}

QString BoardAccessibility::seatText(int number, const SeatModel &seat, bool onTurn)
{
    QString text = QStringLiteral("Seat %1: %2").arg(number).arg(seat.shownName());
    if (seat.status == SeatOccupant::Empty)
        return text;
    const int phase = nextPhase(seat);
    text +=
        phase <= ClientModel::NumPhases ? QStringLiteral(", phase %1").arg(phase) : QStringLiteral(", finished");
    text += QStringLiteral(", total %1").arg(seat.total);
    if (onTurn)
        text += QStringLiteral(", on turn");
    if (seat.watching)
        text += QStringLiteral(", just watching");
    return text;
}

void BoardAccessibility::render(const ClientModel &model, const ClientState &state)
{
    for (int position = 1; position <= NumDice; ++position) {
        const int n = model.diceorder[position];
        const TDie &die = model.dice[n];
        setName(m_board.die(n), dieText(position, die, model.dieDrawn[n]),
                model.diceTouchable(state) ? QStringLiteral("Alt+%1 or Space keeps or frees it").arg(position % 10)
                                           : QString());
    }
    setName(m_board.button_roll, model.shuffling() ? QStringLiteral("Roll Dice") : QStringLiteral("Roll Again"),
            QStringLiteral("Ctrl+R"));
    for (int s = 1; s <= ClientState::numseats; ++s) {
        setName(m_board.playerName(s), seatText(s, model.seats[s], model.currentplayer == s));
    }
    for (int n = 1; n <= 9; ++n)
        setName(m_board.b_phrase[n], QStringLiteral("Phrase %1: %2").arg(n).arg(m_board.b_phrase[n]->toolTip()));
}
