// ClientGame: the client's copy of the game, updated by the host's messages.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

struct ClientModel;
struct ClientState;
namespace protocol {
struct DieFace;
}

// The dispatcher (processline) and one handler per host message. Handlers take the text
// after the command word and its "+" and read it as the message's type (announcements.h);
// a malformed message throws protocol::ProtocolError;
// the message is dropped there and the caller's error guard reports it. Each message updates
// the model (modelChanged follows, also after a dropped one); effects outside the board leave
// as signals. No widget is read or written here.
class ClientGame : public QObject
{
    Q_OBJECT
public:
    ClientGame(ClientModel &model, ClientState &state, QObject *parent = nullptr);

    // Splits one queued line into command word and data and runs the matching handler.
    void processline(const QByteArray &line);

    void sendloginfo(const QByteArray &data);
    void havewrongversion(const QByteArray &data);
    void wrongversion(const QByteArray &data);
    void full(const QByteArray &data);
    void chatrecieved(const QByteArray &data);
    void actionrecieved(const QByteArray &data);
    // A chatter sound: handed on whole ("seat+name+") to the chat input.
    void playasound(const QByteArray &data);
    void newplayerinfo(const QByteArray &data);
    void existingplayers(const QByteArray &data);
    void playerdisconnected(const QByteArray &data);
    void startthegame(const QByteArray &data);
    void getnextplayer(const QByteArray &data);
    void winner(const QByteArray &data);
    void justwatching(const QByteArray &data);
    void createdice(const QByteArray &data);
    void scores(const QByteArray &data);
    void noscore(const QByteArray &data);
    void loadstats(const QByteArray &data);
    void markoff(const QByteArray &data);
    void loadpscores(const QByteArray &data);
    void clearall();

    // Exact texts of the phase line; empty outside 1 to 10.
    static QString phasename(int phase);

    bool turnSoundNew = false; // Turn Sound setting: "turnnew" instead of "turn"

    // Removes the spectator list entry "<number>: <name>" and tells whether it was there.
    // The spy list window keeps the one list; without a remover nobody is listed as left.
    using SpyRemover = std::function<bool(int number, const QString &name)>;
    void setSpyRemover(SpyRemover remover) { m_removeSpy = std::move(remover); }

Q_SIGNALS:
    // Emitted after each dispatched line, when the model may have changed.
    void modelChanged();
    // Emitted with a request for the host (without its terminator).
    void requestReady(const QByteArray &message);
    // Emitted with a chat line "sender+text" and its colour.
    void chatLine(const QString &line, const QColor &color);
    // Emitted with the name of a game sound to play.
    void soundRequested(const QString &name);
    // Emitted with the body of a received chatter sound message.
    void chatterSoundReceived(const QByteArray &body);
    // Emitted when the host announces this client itself (the settings are read then).
    void ownArrival();
    // Emitted when the host says the game has no room for this client.
    void gameFull();
    // Emitted at the end of a game for the tally: "addtomine" or the winner's name.
    void tallyGame(const QString &text);
    // Emitted when a spectator arrives (number 5 or higher), and when a listed one left.
    void spyArrived(int number, const QString &name);
    void spyLeft(int number, const QString &name);
    // Emitted when the own "Just Watch" check mark changes.
    void justWatchChanged(bool checked);

private:
    void dispatch(const QByteArray &line);
    void status(const QString &text);
    // Shows a relayed chat or action line, "{seat}+{name}{between}{text}|{colour}", with the
    // sender's name and text isolated.
    void showChat(const QByteArray &body, const QString &between);
    // A player or spectator came: number n, name.
    void arrived(int n, const QString &name);
    void setPhaseLine(int player, int phase);
    void placeTurnMarker(int seat);
    void startOwnTurn(int phase);
    void showOthersTurn(int player);
    void markUsedDice(const QList<int> &dice);
    void clearLastResults();
    // Each listed die takes its value and colour, lies down and is drawn.
    void showDice(const QList<protocol::DieFace> &faces);

    ClientModel &m_model;
    ClientState &m_state;
    SpyRemover m_removeSpy;
    // The names the host announced for entries 1 to 9, as it sent them; empty while free.
    std::array<QString, 10> m_names;
};
