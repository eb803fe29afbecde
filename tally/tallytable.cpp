#include "tallytable.h"

#include <QSet>

namespace {

constexpr int MaxCounterDigits = 18;                   // a counter read from a file fits a qint64
constexpr qint64 MaxCounter = 999'999'999'999'999'999; // a counter never outgrows what is read back
const QString Zero = QStringLiteral("0");

// The counters of one opponent's row for the three outcomes: (total, this run).
struct OutcomeColumns
{
    int total;
    int session;
};
constexpr OutcomeColumns HisWins{2, 6};
constexpr OutcomeColumns UserWins{3, 7};
constexpr OutcomeColumns NeitherWon{4, 8};

} // namespace

TallyTable::TallyTable()
{
    reset();
}

QStringList TallyTable::zeroRow(const QString &first)
{
    QStringList row(ColCount, Zero);
    row[0] = first;
    return row;
}

QString TallyTable::cell(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColCount)
        return QString();
    return m_rows[row][column];
}

QStringList TallyTable::opponents() const
{
    QStringList names;
    for (int r = 1; r < rowCount(); ++r)
        names << m_rows[r][0];
    return names;
}

// A name is one line of the grid text, so line breaks in it become blanks.
QString TallyTable::lineSafe(const QString &name)
{
    QString safe = name;
    safe.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return safe;
}

int TallyTable::findOpponent(const QString &name) const
{
    const QString wanted = lineSafe(name);
    for (int r = 1; r < rowCount(); ++r) {
        if (m_rows[r][0].compare(wanted, Qt::CaseInsensitive) == 0)
            return r;
    }
    return -1;
}

int TallyTable::follow(const QString &name)
{
    const int row = findOpponent(name);
    if (row > 0)
        return row;
    m_rows.append(zeroRow(lineSafe(name)));
    return rowCount() - 1;
}

void TallyTable::addgame(const QString &winner, const QStringList &playersInGame)
{
    addtomineincrease(1);
    if (winner == AddToMine)
        addtomineincrease(2);
    // Two players of the same name share one row, and that row counts the game once.
    QSet<int> counted;
    for (const QString &name : playersInGame) {
        const int row = findOpponent(name);
        if (row > 0 && !counted.contains(row)) {
            counted.insert(row);
            countOpponent(row, winner);
        }
    }
}

void TallyTable::countOpponent(int row, const QString &winner)
{
    QStringList &cells = m_rows[row];
    for (int c = 1; c < ColCount; ++c) {
        if (cells[c].isEmpty())
            cells[c] = Zero;
    }
    addit(1, row);
    addit(5, row);
    OutcomeColumns outcome = NeitherWon;
    if (cells[0] == lineSafe(winner))
        outcome = HisWins;
    else if (winner == AddToMine)
        outcome = UserWins;
    addit(outcome.total, row);
    addit(outcome.session, row);
}

qint64 TallyTable::addit(int column, int row)
{
    if (row < 0 || row >= rowCount() || column < 1 || column >= ColCount)
        return 0;
    QString &text = m_rows[row][column];
    const qint64 value = qMin(text.toLongLong() + 1, MaxCounter); // an empty counter is 0
    text = QString::number(value);
    return value;
}

qint64 TallyTable::addtomineincrease(int column)
{
    return addit(column, 0);
}

bool TallyTable::moverow(int row)
{
    if (row < 1 || row >= rowCount())
        return false;
    m_rows.removeAt(row);
    return true;
}

void TallyTable::reset()
{
    m_rows = {zeroRow(Zero)};
}

void TallyTable::clearSession()
{
    for (int r = 1; r < rowCount(); ++r) {
        for (int c = 5; c < ColCount; ++c)
            m_rows[r][c] = Zero;
    }
}

QByteArray TallyTable::toGridText() const
{
    QByteArray text;
    const auto line = [&text](const QString &s) { text += s.toUtf8() + "\r\n"; };
    line(QString::number(ColCount));
    line(QString::number(rowCount()));
    for (int c = 0; c < ColCount; ++c) {
        for (int r = 0; r < rowCount(); ++r)
            line(m_rows[r][c]);
    }
    return text;
}

bool TallyTable::isCounter(const QString &text)
{
    if (text.size() > MaxCounterDigits)
        return false;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

std::optional<TallyTable> TallyTable::fromGridText(const QByteArray &text, QString *error)
{
    const auto fail = [error](const char *reason) -> std::optional<TallyTable> {
        if (error != nullptr)
            *error = QString::fromLatin1(reason);
        return std::nullopt;
    };
    QList<QByteArray> lines = text.split('\n');
    if (text.endsWith('\n'))
        lines.removeLast(); // the line end of the last line, not an empty line
    for (QByteArray &l : lines) {
        if (l.endsWith('\r'))
            l.chop(1);
    }
    if (lines.size() < 2)
        return fail("too few lines");
    bool ok = false;
    if (lines[0].toInt(&ok) != ColCount || !ok)
        return fail("wrong column count");
    const int rows = lines[1].toInt(&ok);
    if (!ok || rows < 1 || rows > MaxRows)
        return fail("wrong row count");
    if (lines.size() != 2 + qsizetype(rows) * ColCount)
        return fail(lines.size() < 2 + qsizetype(rows) * ColCount ? "too few lines" : "too many lines");

    TallyTable table;
    table.m_rows = QList<QStringList>(rows, QStringList(ColCount));
    for (int c = 0; c < ColCount; ++c) {
        for (int r = 0; r < rows; ++r) {
            const QString cell = QString::fromUtf8(lines[2 + c * rows + r]);
            if ((c > 0 || r == 0) && !isCounter(cell))
                return fail("a counter is not a number");
            table.m_rows[r][c] = cell;
        }
    }
    return table;
}
