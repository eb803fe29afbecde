// PendingJoin: a connection to another host made beside the running game, handed over to
// the main window once that host has offered a seat.
#pragma once

#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>

class ClientConnection;
class MessageBoxes;

// The running game is not touched while this waits. The host's first message decides: a
// seat offer (CMD_sendlogininfo) is handed on in seatOffered, with the connection ready to be
// taken; anything else — a refused or broken connection, "the game is full", a peer that
// is not a game host or says nothing for OfferWaitMs — ends in failed() with a sentence for
// the player. Exactly one of the two signals is emitted.
//
// On a table server (useTableServer) the connection first asks for a table: a new one, or
// the one with a code. The server names the new table's code before its seat offer; it may
// send a join on to the server that holds the code (followed once); an unknown code, a full
// table and a second redirection end in failed().
class PendingJoin : public QObject
{
    Q_OBJECT
public:
    static constexpr int OfferWaitMs = 15000;

    // Where "address" ("host", "host:port", an IPv6 address, "[v6]:port") is reached;
    // gamePort unless a port is given.
    static QPair<QString, quint16> endpoint(const QString &address, quint16 gamePort);

    PendingJoin(MessageBoxes &boxes, const QString &name, const QString &address, QObject *parent = nullptr);
    ~PendingJoin() override;

    void setOfferWait(int ms) { m_deadline.setInterval(ms); }
    // Address names a table server: join the table with code (normalized), or open a new
    // table when code is empty. Called before start().
    void useTableServer(const QString &code);
    void start(quint16 gamePort);

    const QString &name() const { return m_name; }
    const QString &address() const { return m_address; }
    bool onTableServer() const { return m_tableServer; }
    // The table asked to join, or the one opened (once the server named it); normalized.
    const QString &tableCode() const { return m_code; }
    // The table was opened by this connection (it is the table's entry 1).
    bool opensTable() const { return m_tableServer && !m_joinsTable; }
    // The connection, for the caller to own from now on; null before the offer or once taken.
    ClientConnection *takeConnection();

Q_SIGNALS:
    // The host's seat offer, as received; the connection waits to be taken and answered.
    void seatOffered(const QByteArray &offer);
    void failed(const QString &why);

private:
    void connectTo(const QString &host, quint16 port);
    // The connection up: a table server is told what this connection asks for.
    void sendTableRequest();
    void received(const QByteArray &line);
    // A table server's answer before the seat offer; false when line is none.
    bool tableAnswer(const QByteArray &line);
    // The server sent the join on to the server at address: once, then it is refused.
    void follow(const QByteArray &address);
    void dropConnection();
    void fail(const QString &why);
    QString peer() const;
    QString tableText() const;

    MessageBoxes &m_boxes;
    ClientConnection *m_connection = nullptr; // owned until taken
    QString m_name;
    QString m_address;
    QString m_code;
    QString m_redirectedTo; // the server a join was sent on to
    QTimer m_deadline;
    bool m_tableServer = false;
    bool m_joinsTable = false;
    bool m_tableOpened = false;
    bool m_offered = false;
    bool m_finished = false;
};
