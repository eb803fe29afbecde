// The typed messages: every type reads back what it builds, builds the bytes peers expect,
// and refuses the bodies the host and the clients refuse.
#include "announcements.h"
#include "requests.h"

#include <gtest/gtest.h>

namespace {

using namespace protocol;

// Builds value, checks the command word, and parses the body back.
template <typename T>
void expectRoundTrip(const T &value)
{
    const QByteArray line = value.build();
    const auto [command, rest] = splitCommand(line);
    SCOPED_TRACE(line.toStdString());
    EXPECT_EQ(command, QByteArray(T::Command));
    EXPECT_FALSE(line.contains(Terminator));
    EXPECT_TRUE(T::parse(rest) == value);
}

template <typename T>
void expectRefused(const QList<QByteArray> &bodies)
{
    for (const QByteArray &body : bodies)
        EXPECT_THROW(T::parse(body), ProtocolError) << T::Command << " " << body.toStdString();
}

TEST(Messages, RequestsReadBackWhatTheyBuild)
{
    expectRoundTrip(LoginInfo{3, "1.0.9", "Ann+Bob"});
    expectRoundTrip(LoginInfo{1, "", ""});
    expectRoundTrip(KickHim{1, 7});
    expectRoundTrip(BotSpeed{1, 2000});
    expectRoundTrip(BotSpeed{2, -5}); // refused by the host, not by the reader
    expectRoundTrip(ChatRequest{2, "a+b = c|clBlue"});
    expectRoundTrip(ChatRequest{9, ""});
    expectRoundTrip(ActionRequest{4, "says: hi+there|$00FF0000"});
    expectRoundTrip(StartGame{"Ann", {"0", "0", "f"}});
    expectRoundTrip(StartGame{"", {"", "", ""}});
    expectRoundTrip(JustWatch{3, WatchMode::ComputerPlays});
    expectRoundTrip(JustWatch{3, WatchMode::PlayerPlays});
    expectRoundTrip(RollTheDice{2, {1, 4, 10}});
    expectRoundTrip(RollTheDice{2, {}});
    expectRoundTrip(AllDone{1, {3, 2, 1}});
    expectRoundTrip(AllDone{1, {}});
    expectRoundTrip(PlaySoundRequest::wave(4, 20));
    expectRoundTrip(PlaySoundRequest{4, "ding+x+"});
}

TEST(Messages, AnnouncementsReadBackWhatTheyBuild)
{
    expectRoundTrip(SendLoginInfo{9});
    expectRoundTrip(Full{});
    expectRoundTrip(NewPlayerInfo{5, "Spy + co"});
    expectRoundTrip(ExistingPlayers{2, ""});
    expectRoundTrip(PlayerDisconnected{1, "Ann"});
    expectRoundTrip(HaveWrongVersion{"Bob+x"});
    expectRoundTrip(WrongVersion{});
    expectRoundTrip(LoadStats{6, 2, 3, 4, 1, {10, 20, 0, 0}, {{1, 2, 2}, {10, 9, 4}}});
    expectRoundTrip(LoadStats{6, 0, 0, 1, 0, {0, 0, 0, 0}, {}});
    expectRoundTrip(LoadPScores{7, {{1, 1, 30}, {4, 12, 40}, {2, 11, -1}}});
    expectRoundTrip(JustWatching{4, WatchMode::ComputerPlays});
    expectRoundTrip(JustWatching{4, WatchMode::PlayerPlays});
    expectRoundTrip(Chat::relay(3, "Cy chats: 1+1=2|clRed"));
    expectRoundTrip(Chat{"no seat at all"});
    expectRoundTrip(Action::relay(9, "Spy says: hi"));
    expectRoundTrip(PlaySound{2, "wave7+"});
    expectRoundTrip(StartGame{"You", {"0", "0", "f"}});
    expectRoundTrip(NextPlayer{4, 10, 0});
    expectRoundTrip(CreateDice{1, 3, {{1, 0, 1}, {5, 10, 4}}});
    expectRoundTrip(Scores{2, 5, 260, 30, 40, ScoreKind::Bonus, {5, 6, 7, 8, 9}});
    expectRoundTrip(Scores{1, 10, 300, 20, 40, ScoreKind::GoneOut, {}});
    expectRoundTrip(Scores{1, 1, 0, 0, 0, ScoreKind::Plain, {1, 1}});
    expectRoundTrip(MarkOff{3, 7});
    expectRoundTrip(NoScore{3, {}});
    expectRoundTrip(NoScore{3, {2, 9}});
    expectRoundTrip(Winner{"Ann and Klot"});
}

TEST(Messages, BuildTheBytesPeersExpect)
{
    const struct
    {
        QByteArray built, expected;
    } cases[] = {
        {LoginInfo{2, "1.0.9", "Bob"}.build(), "CMD_logininfo+2+1.0.9+Bob"},
        {KickHim{1, 3}.build(), "CMD_kickhim+1+3+"},
        {BotSpeed{1, 500}.build(), "CMD_botspeed+1+500+"},
        {StartGame{"Ann"}.build(), "CMD_startgame+Ann+0+0+f+"},
        {JustWatch{2, WatchMode::PlayerPlays}.build(), "CMD_justwatch+2+2"},
        {RollTheDice{1, {}}.build(), "CMD_rollthedice+1"},
        {RollTheDice{1, {2, 10}}.build(), "CMD_rollthedice+1+2+10"},
        {AllDone{1, {}}.build(), "CMD_alldone+1+none"},
        {PlaySoundRequest::wave(3, 3).build(), "CMD_playasound+3+wave3+"},
        {Full{}.build(), "CMD_full+"},
        {WrongVersion{}.build(), "CMD_wrongversion+"},
        {Chat::relay(2, "Bob chats: hi|clBlue").build(), "CMD_chat+2+Bob chats: hi|clBlue"},
        {JustWatching{1, WatchMode::ComputerPlays}.build(), "CMD_justwatching+1+1"},
        {NextPlayer{2, 1, 1}.build(), "CMD_nextplayer+2+1+1+"},
        {CreateDice{2,
                    1,
                    {{1, 3, 3},
                     {2, 0, 2},
                     {3, 1, 3},
                     {4, 4, 3},
                     {5, 10, 2},
                     {6, 6, 3},
                     {7, 8, 2},
                     {8, 5, 4},
                     {9, 7, 1},
                     {10, 9, 4}}}
             .build(),
         "CMD_createdice+2+1+1+3+3+2+0+2+3+1+3+4+4+3+5+10+2+6+6+3+7+8+2+8+5+4+9+7+1+10+9+4"},
        {Scores{1, 1, 29, 29, 0, ScoreKind::Plain, {2, 5, 6, 7, 8, 9}}.build(),
         "CMD_scores+1+1+29+29+0+none+2+5+6+7+8+9"},
        {NoScore{1, {}}.build(), "CMD_noscore+1+none"},
        {MarkOff{2, 4}.build(), "CMD_markoff+2+4+"},
        {LoadStats{5, 1, 1, 1, 0, {0, 0, 0, 0}, {}}.build(), "CMD_loadstats+5+1+1+1+0+0+0+0+0+none"},
        {LoadPScores{5, {{1, 1, 30}}}.build(), "CMD_loadpscores+5+1+1+30"},
        {Winner{"Ann and Bob"}.build(), "CMD_winner+Ann and Bob+"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.built.toStdString(), c.expected.toStdString());
}

TEST(Messages, RequestsReadLikeTheHost)
{
    // The seat alone is a roll of nothing: all done with every die.
    EXPECT_EQ(RollTheDice::parse("3"), (RollTheDice{3, {}}));
    EXPECT_EQ(AllDone::parse("2+none"), (AllDone{2, {}}));
    // The last field keeps its pluses; missing trailing fields read as empty.
    EXPECT_EQ(ChatRequest::parse("2+a+b|clRed"), (ChatRequest{2, "a+b|clRed"}));
    EXPECT_EQ(LoginInfo::parse("2"), (LoginInfo{2, "", ""}));
    EXPECT_EQ(StartGame::parse("a+b+c+d+e+f"), (StartGame{"a", {"b", "c", "d"}}));
    EXPECT_EQ(StartGame::parse("You"), (StartGame{"You", {"", "", ""}}));
    EXPECT_EQ(KickHim::parse("1+3+junk"), (KickHim{1, 3}));
    // The sound and whatever follows it are relayed as they came.
    EXPECT_EQ(PlaySoundRequest::parse("4+ding"), (PlaySoundRequest{4, "ding"}));
    EXPECT_EQ(PlaySoundRequest::parse("4+wave3+x+y"), (PlaySoundRequest{4, "wave3+x+y"}));

    expectRefused<RollTheDice>({"", "1+", "1+none", "1+0", "1+11", "1+2+2", "x+1", "1+1+", "+1"});
    expectRefused<AllDone>({"1", "1+", "1+0", "1+3+3", "1+none+1", "one+none"});
    expectRefused<LoginInfo>({"", "x+1.0.9+Ann", "99999999999+v+n"});
    expectRefused<KickHim>({"1", "1+x", "1++3"});
    expectRefused<BotSpeed>({"1+", "+1+500"});
    expectRefused<ChatRequest>({"abc+x", "", "+hi"});
    expectRefused<JustWatch>({"1+0", "1+", "1+1+", "x+1", "1"});
    expectRefused<PlaySoundRequest>({"x+wave1+"});
}

TEST(Messages, AnnouncementsReadLikeTheClients)
{
    // Clients show every chat body, and take the sound's field whatever the seat says.
    EXPECT_EQ(Chat::parse("x"), (Chat{"x"}));
    EXPECT_EQ(PlaySound::parse("x+wave99+"), (PlaySound{0, "wave99+"}));
    EXPECT_EQ(PlaySound::parse("2+wave3+more").sound(), QByteArray("wave3"));
    EXPECT_EQ(PlaySound::parse("2").sound(), QByteArray());
    EXPECT_EQ(JustWatching::parse("3+0"), (JustWatching{3, WatchMode::PlayerPlays}));
    EXPECT_EQ(Scores::parse("1+1+30+30+0+normal+1+2").kind, ScoreKind::Plain);
    EXPECT_EQ(Winner::parse("Ann+and more"), (Winner{"Ann"}));
    EXPECT_EQ(NewPlayerInfo::parse("1000000+a+b"), (NewPlayerInfo{1000000, "a+b"}));

    expectRefused<SendLoginInfo>({"", "x"});
    expectRefused<NewPlayerInfo>({"0+Ann", "1000001+Ann", "x+Ann"});
    expectRefused<PlayerDisconnected>({"0+Ann", "-1+Ann"});
    expectRefused<NextPlayer>({"5+1+1", "0+1+1", "1+11+1", "1+0+1", "1+1+-1", "1+1"});
    expectRefused<CreateDice>(
        {"5+1+none", "1+1+1+5", "1+1+11+5+1", "1+1+1+11+1", "1+1+1+5+0", "1+1+1+5+5+", "1+1+"});
    expectRefused<Scores>(
        {"1+11+0+0+0+none+none", "5+1+0+0+0+none+none", "1+1+0+0+0+none+0+11", "1+1+0+0+0+none"});
    expectRefused<NoScore>({"0+none", "1+11", "1+"});
    expectRefused<MarkOff>({"0+1", "5+1", "1+x"});
    expectRefused<LoadStats>(
        {"4+5+1+1+1+0+0+0+0+none", "4+1+12+1+1+0+0+0+0+none", "4+1+1+1+1+0+0+0+0", "4+1+1+1+1+0+0+0+0+1+2"});
    expectRefused<LoadPScores>({"4+1+13+5", "4+0+1+5", "4+1+1", "4", "x+1+1+5"});
    expectRefused<JustWatching>({"x+1"});
}

} // namespace
