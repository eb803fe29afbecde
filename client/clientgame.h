// ClientGame: the client's copy of the game, updated by the host's messages.
#pragma once

#include "announcements.h"
#include "chatline.h"
#include "chattersound.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

struct ClientModel;
struct ClientState;

// The dispatcher (processline) and one handler per host message. The dispatcher reads a line
// as a protocol::Announcement and visits it: every announcement type has its handler, or this
// does not compile. A line without a command word, or with one no announcement has, is
// ignored; a malformed message throws protocol::ProtocolError, is dropped there and the
// caller's error guard reports it. Each message updates the model (modelChanged follows, also
// after a dropped or ignored one); effects outside the board leave as signals, chat lines and
// chatter sounds typed. No widget is read or written here.
class ClientGame : public QObject
{
    Q_OBJECT
public:
    ClientGame(ClientModel &model, ClientState &state, QObject *parent = nullptr);

    // Reads one queued line and runs the matching handler.
    void processline(const QByteArray &line);

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
    // Emitted with a line for the chat: a status line, or what a person said or did.
    void chatLine(const ChatLine &line);
    // Emitted with the name of a game sound to play.
    void soundRequested(const QString &name);
    // Emitted when a chatter sound was announced.
    void chatterSoundReceived(const ChatterSound &sound);
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
    void dispatch(const protocol::Announcement &announcement);
    void sendloginfo(const protocol::SendLoginInfo &message);
    void havewrongversion(const protocol::HaveWrongVersion &message);
    void wrongversion(const protocol::WrongVersion &message);
    void full(const protocol::Full &message);
    void chatrecieved(const protocol::Chat &message);
    void actionrecieved(const protocol::Action &message);
    void playasound(const protocol::PlaySound &message);
    void newplayerinfo(const protocol::NewPlayerInfo &message);
    void existingplayers(const protocol::ExistingPlayers &message);
    void playerdisconnected(const protocol::PlayerDisconnected &message);
    void startthegame(const protocol::StartGame &message);
    void getnextplayer(const protocol::NextPlayer &message);
    void winner(const protocol::Winner &message);
    void justwatching(const protocol::JustWatching &message);
    void createdice(const protocol::CreateDice &message);
    void scores(const protocol::Scores &message);
    void noscore(const protocol::NoScore &message);
    void loadstats(const protocol::LoadStats &message);
    void markoff(const protocol::MarkOff &message);
    void loadpscores(const protocol::LoadPScores &message);

    void status(const QString &text);
    // Shows a relayed chat or action line, "{seat}+{name}{joiner}{text}|{colour}", with the
    // sender's name and text isolated.
    void showChat(const QByteArray &body, ChatLine::Kind kind);
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
