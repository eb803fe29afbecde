// TableDriver: what a Table needs from whoever runs it — connections, a clock and timers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The table's timers. Dispatch (one queued request per firing) and Pause repeat until
// stopped; Computer and LoginDeadline fire once per start.
enum class TableTimer { Dispatch, Pause, Computer, LoginDeadline };

// A table calls its driver; the driver calls the table back (Table::receive,
// connectionOpened, connectionClosed, timerFired). Intervals and the clock are in table
// time: a driver that runs faster or slower than real time scales both alike.
class TableDriver
{
public:
    enum class When {
        Now,   // the connection closes before close() returns
        Later, // after the table's current call has returned, and only if the same
               // connection still holds the entry
    };

    virtual ~TableDriver() = default;

    // Sends one framed message to the connection in entry. Returns the bytes that
    // connection has not taken yet (0 also when entry has nothing to send to), or -1 when
    // sending failed; the table then closes the connection.
    virtual qsizetype send(int entry, const QByteArray &bytes) = 0;
    // Closes the connection in entry; once closed, the driver reports it with
    // Table::connectionClosed(entry).
    virtual void close(int entry, When when) = 0;

    // The table's clock in milliseconds; it never goes back.
    virtual double nowMs() const = 0;
    // Starts timer, replacing a pending firing, to call Table::timerFired(timer) after
    // intervalMs (and every intervalMs after that for Dispatch and Pause).
    virtual void startTimer(TableTimer timer, int intervalMs) = 0;
    virtual void stopTimer(TableTimer timer) = 0;

    // An entry was taken by a new connection or freed.
    virtual void onSeatsChanged() {}
    // A request was dropped or a connection closed for what it did; one printable line.
    virtual void onRequestDropped(const QString &reason) { Q_UNUSED(reason); }
};
