// The client's dispatcher fed arbitrary lines, one at a time, as the receive queue hands them on.
//
// Input: byte 0 sets the own number to 1 + byte % 9 (seats 1..4, spectators 5..9) and, from
// byte / 9, three switches: bit 0 chatter sounds on, bit 1 this copy hosts, bit 2 a spy list
// answers the spectators' departures. The rest is cut at 0xFF into lines. A line whose first
// byte is 1..20 starts with that host command word and its "+"; byte 0x15 anywhere in a line
// stands for the own number. An empty line lets the dice shuffle tick once.
//
// Every line runs inside the client's error guard; only a protocol error may leave a handler.
// After each line the client's model must still index its arrays.
#include "fuzztargets.h"

#include "chatform.h"
#include "clientgame.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "colorchooser.h"
#include "dicetray.h"
#include "errorguard.h"
#include "gamesounds.h"
#include "gamerandom.h"
#include "messageboxes.h"
#include "announcements.h"
#include "protocol.h"
#include "requests.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "workarea.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdio>

namespace fuzz_clientdispatch {

namespace {

using fuzzsupport::check;

using namespace protocol;
constexpr std::array<const char *, 20> Words{
    SendLoginInfo::Command,
    NewPlayerInfo::Command,
    ExistingPlayers::Command,
    PlayerDisconnected::Command,
    StartGame::Command,
    NextPlayer::Command,
    CreateDice::Command,
    Scores::Command,
    NoScore::Command,
    MarkOff::Command,
    JustWatching::Command,
    Winner::Command,
    LoadStats::Command,
    LoadPScores::Command,
    Chat::Command,
    Action::Command,
    PlaySound::Command,
    WrongVersion::Command,
    HaveWrongVersion::Command,
    Full::Command,
};
constexpr char OwnNumber = 0x15;

QByteArray expand(QByteArray line, int myid)
{
    if (!line.isEmpty() && quint8(line.at(0)) >= 1 && quint8(line.at(0)) <= Words.size())
        line = QByteArray(Words[quint8(line.at(0)) - 1]) + '+' + line.mid(1);
    return line.replace(OwnNumber, QByteArray::number(myid));
}

class Driver
{
public:
    explicit Driver(std::uint8_t first)
    {
        const QString ini = QString::fromUtf8(fuzzsupport::scratchDir()) + QStringLiteral("/vornlobby.ini");
        QFile::remove(ini); // every input starts from the default settings
        TchatOptions options;
        options.boxes = &m_boxes;
        options.soundPlayer = &m_sounds;
        options.shell = &m_shell;
        options.workArea = &m_workArea;
        options.colors = &m_colors;
        options.port = 1; // never opened: the window is not shown, so it never connects
        options.lobbyPort = 1;
        options.settingsPath = ini;
        options.mutexName = QStringLiteral("dorvane-fuzz-%1").arg(QCoreApplication::applicationPid());
        m_chat = std::make_unique<Tchat>(options);
        ClientState &state = m_chat->session().state();
        state.myid = 1 + first % 9;
        state.loggedin = true;
        state.playername = QStringLiteral("You");
        const int switches = first / 9;
        m_chat->session().sounds().chatterEnabled = (switches & 1) != 0;
        state.amhost = (switches & 2) != 0;
        if (switches & 4) {
            m_chat->session().game().setSpyRemover([this](int n, const QString &name) {
                return m_spies.removeOne(QStringLiteral("%1: %2").arg(n).arg(name));
            });
            QObject::connect(m_chat.get(), &Tchat::spyArrived, [this](int n, const QString &name) {
                m_spies.append(QStringLiteral("%1: %2").arg(n).arg(name));
            });
        }
        m_tray = m_chat->findChild<DiceTray *>();
        check(m_tray != nullptr, "the window owns a dice tray");
    }

    void dispatch(const QByteArray &raw)
    {
        if (raw.isEmpty()) {
            if (m_tray->shuffling())
                m_tray->dicetimerTimer();
            return;
        }
        const QByteArray line = expand(raw, m_chat->session().state().myid);
        // The connection's queue timer wraps its dispatcher the same way.
        guarded(m_boxes, [&] {
            try {
                m_chat->session().game().processline(line);
            } catch (const protocol::ProtocolError &) {
                throw;
            } catch (const std::exception &e) {
                std::fprintf(stderr, "%s\n", e.what());
                check(false, "only a protocol error leaves a handler");
            }
        });
        checkInvariants();
    }

private:
    void checkInvariants() const
    {
        const ClientModel &s = m_chat->session().model();
        check(s.currentplayer >= 0 && s.currentplayer <= ClientState::numseats, "seat on turn 0..4");
        check(s.markerSeat >= 0 && s.markerSeat <= ClientState::numseats, "turn marker at a seat or none");
        check(s.shownphase >= 0, "shown phase not negative");
        for (int n = 1; n <= NumDice; ++n) {
            check(s.dice[n].value >= 0 && s.dice[n].value <= 10, "die value 0..10");
            check(s.dice[n].color >= 0 && s.dice[n].color <= 4, "die colour 0..4");
        }
        std::array<int, NumDice + 1> order = s.diceorder;
        std::sort(order.begin() + 1, order.end());
        for (int i = 1; i <= NumDice; ++i)
            check(order[i] == i, "display order is a permutation of the dice");
        for (const QString &m : m_boxes.messages)
            check(m == QLatin1String("Game is full"), "no other message box from a host message");
        check(m_boxes.questions.isEmpty(), "no question from a host message");
        check(m_colors.asked == 0, "no colour dialog from a host message");
        check(m_shell.urls.isEmpty() && m_shell.starts.isEmpty(), "nothing opened from a host message");
    }

    RecordingMessageBoxes m_boxes;
    RecordingSoundPlayer m_sounds;
    RecordingShellOpen m_shell;
    FixedWorkArea m_workArea{QRect(0, 0, 1024, 768)};
    FixedColorChooser m_colors;
    QStringList m_spies;
    std::unique_ptr<Tchat> m_chat;
    DiceTray *m_tray = nullptr;
};

void run(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return;
    seedGameRandom(size);
    Driver driver(data[0]);
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    qsizetype start = 0;
    while (start <= rest.size()) {
        qsizetype end = rest.indexOf(char(0xFF), start);
        if (end < 0)
            end = rest.size();
        driver.dispatch(rest.mid(start, end - start));
        start = end + 1;
    }
}

// A game with chat from every sender, before and after the settings are read, so the fonts
// every input may need are loaded once.
void warmUp()
{
    QByteArray input("\x00");
    for (const char *line :
         {"CMD_sendlogininfo+1", "CMD_existingplayers+2+Klot", "CMD_startgame+You", "CMD_nextplayer+1+1+1",
          "CMD_createdice+1+1+1+5+2+2+7+3", "CMD_scores+1+1+30+30+0+normal+1+2", "CMD_winner+You"})
        input += QByteArray(line) + char(0xFF);
    for (int pass = 0; pass < 2; ++pass) {
        for (int sender = 0; sender <= 10; ++sender)
            input += "CMD_chat+" + QByteArray::number(sender) + "+x: a :)#12 www.x.org|clBlue" + char(0xFF);
        input += QByteArray("CMD_newplayerinfo+1+You") + char(0xFF);
    }
    run(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureWidgetsApplication();
    static const bool warm = (fuzzsupport::withoutLeakCheck(warmUp), true);
    (void)warm;
    run(data, size);
    return 0;
}

} // namespace fuzz_clientdispatch
