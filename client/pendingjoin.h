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
    void start(quint16 gamePort);

    const QString &name() const { return m_name; }
    const QString &address() const { return m_address; }
    // The connection, for the caller to own from now on; null before the offer or once taken.
    ClientConnection *takeConnection();

Q_SIGNALS:
    // The host's seat offer, as received; the connection waits to be taken and answered.
    void seatOffered(const QByteArray &offer);
    void failed(const QString &why);

private:
    void received(const QByteArray &line);
    void fail(const QString &why);

    ClientConnection *m_connection = nullptr; // owned until taken
    QString m_name;
    QString m_address;
    QTimer m_deadline;
    bool m_offered = false;
    bool m_finished = false;
};
