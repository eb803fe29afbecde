// TallyTable: the win tally as a grid of text cells, and its plain grid text.
#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <optional>

// Nine columns, 1 + N rows. Row 0 is the user: column 1 games played, column 2 games won,
// every other cell "0". Rows 1..N are the followed opponents in the order of the list
// "Players Being Tallied": column 0 the name; columns 1-4 games together, his wins, the
// user's wins and games neither won, over all runs; columns 5-8 the same for this run.
// Every cell except the names is a decimal counter; an empty counter reads as 0.
class TallyTable
{
public:
    static constexpr int ColCount = 9;
    // The winner word addgame takes when the user won.
    static constexpr QLatin1String AddToMine{"addtomine"};
    // A grid text announcing more rows than this is taken as damaged.
    static constexpr int MaxRows = 100000;

    // An empty tally: row 0 only, all "0".
    TallyTable();

    int rowCount() const { return int(m_rows.size()); }
    // The cell's text; an empty string outside the table.
    QString cell(int column, int row) const;
    // The followed opponents' names, rows 1..N in order.
    QStringList opponents() const;
    // Row (1..N) of a followed opponent, found without regard to case; -1 when not followed.
    int findOpponent(const QString &name) const;
    // Follows name: appends a row (the name and eight "0") unless the name is already
    // followed. Returns the name's row either way.
    int follow(const QString &name);

    // Counts one finished game. winner is the winner's name, or AddToMine when the user
    // won; playersInGame are the names at the other seats of the game. Row 0 counts the
    // game (and the win); each followed opponent present counts it once, split by who won.
    void addgame(const QString &winner, const QStringList &playersInGame);
    // Adds 1 to a counter cell and returns the new value; 0 (and no change) outside the table.
    qint64 addit(int column, int row);
    // addit on row 0 of column.
    qint64 addtomineincrease(int column);
    // Drops the opponent of row (1..N); later rows move up. False when row is no opponent row.
    bool moverow(int row);
    // Back to an empty tally.
    void reset();
    // Sets the counters of this run (columns 5-8) to "0" for every opponent.
    void clearSession();

    // The grid text: "9", the row count, then every cell column by column, CR LF after each.
    QByteArray toGridText() const;
    // Reads a grid text as toGridText writes it (LF alone is accepted as a line end too).
    // A wrong column count, a row count outside 1..MaxRows, a line count that does not
    // match, or a counter that is not a decimal number gives nothing and the reason in error.
    static std::optional<TallyTable> fromGridText(const QByteArray &text, QString *error = nullptr);

private:
    static QStringList zeroRow(const QString &first);
    static bool isCounter(const QString &text);
    static QString lineSafe(const QString &name);
    void countOpponent(int row, const QString &winner);

    QList<QStringList> m_rows; // row-major, ColCount cells each
};
