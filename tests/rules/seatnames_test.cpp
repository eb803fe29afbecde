// seatnames: names that read alike are told apart when a player is seated.
#include "hoststate.h"
#include "protocollimits.h"
#include "seatnames.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf8(const char16_t *text)
{
    return QString::fromUtf16(text).toUtf8();
}

TEST(SeatNames, NamesThatLookAlikeCompareEqual)
{
    const QString dave = seatnames::comparisonKey("dave");
    EXPECT_EQ(seatnames::comparisonKey("DaVe"), dave);
    EXPECT_EQ(seatnames::comparisonKey(utf8(u"d\u200Ba\u200Dv\u2060e\uFEFF")), dave) << "zero-width characters";
    EXPECT_EQ(seatnames::comparisonKey(utf8(u"\u202Edave\u202C\u2066")), dave) << "direction controls";
    EXPECT_EQ(seatnames::comparisonKey(utf8(u"\uFF24\uFF41\uFF56\uFF45")), dave) << "full-width letters";
    EXPECT_EQ(seatnames::comparisonKey(" dave "), dave);
    EXPECT_EQ(seatnames::comparisonKey(utf8(u"Jose\u0301")), seatnames::comparisonKey(utf8(u"jos\u00E9")));
    EXPECT_EQ(seatnames::comparisonKey(utf8(u"\u2764\uFE0F")), seatnames::comparisonKey(utf8(u"\u2764")));
    EXPECT_NE(seatnames::comparisonKey("davey"), dave);
    EXPECT_NE(seatnames::comparisonKey("da ve"), dave);
}

TEST(SeatNames, ATakenNameGetsTheFirstFreeNumberAndKeepsItsBytes)
{
    EXPECT_EQ(seatnames::unique("dave", {"alice", "bob"}), QByteArray("dave"));
    const QByteArray spoof = utf8(u"D\u200Bave");
    EXPECT_EQ(seatnames::unique(spoof, {"dave"}), spoof + " (2)") << "the bytes as they came, numbered";
    EXPECT_EQ(seatnames::unique("DAVE", {"dave", "Dave (2)"}), QByteArray("DAVE (3)"));
    EXPECT_EQ(seatnames::unique("dave (2)", {"dave (2)"}), QByteArray("dave (2) (2)"));
    EXPECT_EQ(seatnames::unique("", {""}), QByteArray()) << "no name is no name in use";
    EXPECT_EQ(seatnames::unique(utf8(u"\u200B"), {"x"}), utf8(u"\u200B"));
}

TEST(SeatNames, ANumberedLongNameStaysWithinTheLimitAndWholeCharacters)
{
    // One byte and 21 three-byte characters: cutting 4 bytes for " (2)" lands inside one.
    const QByteArray longest = "x" + QString(21, QChar(0x20AC)).toUtf8();
    ASSERT_EQ(longest.size(), limits::MaxNameBytes);
    const QByteArray numbered = seatnames::unique(longest, {longest});
    EXPECT_LE(numbered.size(), limits::MaxNameBytes);
    EXPECT_TRUE(numbered.endsWith(" (2)"));
    EXPECT_EQ(QString::fromUtf8(numbered).toUtf8(), numbered) << "no character is cut in half";
    EXPECT_EQ(numbered, "x" + QString(19, QChar(0x20AC)).toUtf8() + " (2)");
    QList<QByteArray> inUse{longest};
    for (int n = 0; n < 12; ++n)
        inUse.append(seatnames::unique(longest, inUse));
    for (const QByteArray &name : inUse)
        EXPECT_LE(name.size(), limits::MaxNameBytes) << name.constData();
    EXPECT_TRUE(inUse.last().endsWith(" (13)"));
}

TEST(SeatNames, NamesInUseAreTheOtherLoggedInEntriesAndTheComputersNames)
{
    HostState state;
    state.seats[2].botname = "Klot";
    state.seats[3].botname = "Klock";
    state.seats[4].botname = "Kling";
    state.conncount = 6;
    state.seats[1] = TSeat{};
    state.seats[1].name = "alice";
    state.seats[1].connected = state.seats[1].loggedIn = true;
    state.seats[5].name = "eve";
    state.seats[5].connected = state.seats[5].loggedIn = true;
    state.seats[6].name = "gone";    // not connected any more
    state.seats[3].connected = true; // connected, not logged in yet
    const QList<QByteArray> names = seatnames::inUse(state, 3);
    EXPECT_TRUE(names.contains("alice"));
    EXPECT_TRUE(names.contains("eve")) << "a spectator's name is in use";
    EXPECT_TRUE(names.contains("Klot")) << "the computer player's name is in use";
    EXPECT_FALSE(names.contains("gone"));
    EXPECT_FALSE(seatnames::inUse(state, 1).contains("alice")) << "an entry's own name is not";
    EXPECT_EQ(seatnames::unique("KLOT", names), QByteArray("KLOT (2)"));
}

} // namespace
