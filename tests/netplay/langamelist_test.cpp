// LanGameList: junk announced from one machine cannot push out the games of others, games
// that never resolve give their place back, and the list recovers when junk is withdrawn.
#include "langamelist.h"

#include <gtest/gtest.h>

namespace {

const QString Junk = QStringLiteral("10.9.9.9");
const QString Home = QStringLiteral("192.168.1.20");

QString junkKey(int i)
{
    return QStringLiteral("junk %1").arg(i);
}

// Adds count junk announcements and returns how many the list took.
int addJunk(LanGameList &list, int count, int first = 0)
{
    int added = 0;
    for (int i = first; i < first + count; ++i)
        added += list.add(junkKey(i)) ? 1 : 0;
    return added;
}

TEST(LanGameList, OneAddressGetsItsShareAndAGameFromAnotherIsListed)
{
    LanGameList list;
    ASSERT_EQ(addJunk(list, 80), 80);
    ASSERT_TRUE(list.add(QStringLiteral("ann")));
    EXPECT_EQ(list.nextToResolve(0).size(), 81);
    int listed = 0;
    for (int i = 0; i < 80; ++i) {
        const LanGameList::Verdict verdict = list.resolved(junkKey(i), Junk);
        listed += verdict == LanGameList::Verdict::Listed ? 1 : 0;
        if (i >= 8) {
            EXPECT_EQ(verdict, LanGameList::Verdict::NotListed) << "junk " << i;
        }
    }
    EXPECT_EQ(listed, 8);
    EXPECT_EQ(list.resolved(QStringLiteral("ann"), Home), LanGameList::Verdict::Listed);
    EXPECT_EQ(list.listedCount(), 9);
    EXPECT_EQ(list.resolvingCount(), 0) << "junk over its share is not followed any further";
    EXPECT_EQ(list.resolved(junkKey(3), Junk), LanGameList::Verdict::Listed) << "a listed record may change";
}

// Withdrawn junk lets the rest of that machine's games in (one per place freed), and a game
// that moves to a full address leaves the list.
TEST(LanGameList, PlacesFreedByAnAddressGoToItsWaitingGames)
{
    LanGameList list(LanGameList::Limits{2, 256, 4096, 15000, 60000});
    addJunk(list, 4);
    list.nextToResolve(0);
    for (int i = 0; i < 4; ++i)
        list.resolved(junkKey(i), Junk);
    EXPECT_TRUE(list.remove(junkKey(0))) << "it was listed";
    EXPECT_FALSE(list.remove(junkKey(0)));
    EXPECT_EQ(list.nextToResolve(1), QStringList{junkKey(2)}) << "the oldest waiting one, only";
    EXPECT_EQ(list.resolved(junkKey(2), Junk), LanGameList::Verdict::Listed);
    EXPECT_FALSE(list.remove(junkKey(3))) << "never listed";

    ASSERT_TRUE(list.add(QStringLiteral("ann")));
    ASSERT_EQ(list.nextToResolve(2), QStringList{QStringLiteral("ann")});
    ASSERT_EQ(list.resolved(QStringLiteral("ann"), Home), LanGameList::Verdict::Listed);
    EXPECT_EQ(list.resolved(QStringLiteral("ann"), Junk), LanGameList::Verdict::Unlisted);
    EXPECT_FALSE(list.isListed(QStringLiteral("ann")));
    EXPECT_EQ(list.listedCount(), 2);
}

// Announcements that never resolve hold a place only until the deadline; the next ones get
// their turn, a listed game keeps its place, and the given-up ones are tried again later.
TEST(LanGameList, UnresolvedAnnouncementsGiveTheirPlaceBack)
{
    LanGameList list(LanGameList::Limits{8, 10, 4096, 15000, 60000});
    ASSERT_TRUE(list.add(QStringLiteral("bea")));
    ASSERT_EQ(list.nextToResolve(0).size(), 1);
    ASSERT_EQ(list.resolved(QStringLiteral("bea"), Home), LanGameList::Verdict::Listed);
    addJunk(list, 20); // never resolve
    ASSERT_TRUE(list.add(QStringLiteral("ann")));
    EXPECT_EQ(list.nextToResolve(1).size(), 9) << "the listed game keeps one place of ten";
    EXPECT_TRUE(list.nextToResolve(2).isEmpty());
    EXPECT_TRUE(list.expire(15000).isEmpty()) << "not yet";
    EXPECT_EQ(list.expire(15001).size(), 9);
    EXPECT_EQ(list.nextToResolve(15001).size(), 9);
    list.failed(junkKey(9), 16000); // the daemon gave up on one itself
    QStringList next = list.nextToResolve(16000);
    EXPECT_EQ(next, QStringList{junkKey(18)});
    list.expire(31001);
    next = list.nextToResolve(31001);
    EXPECT_TRUE(next.contains(QStringLiteral("ann"))) << "its turn came";
    EXPECT_EQ(list.resolved(QStringLiteral("ann"), Home), LanGameList::Verdict::Listed);
    EXPECT_EQ(list.resolvingCount(), 1) << "only junk 19 was new; the given-up wait a minute";
    list.expire(46001);
    EXPECT_TRUE(list.nextToResolve(46001).isEmpty());
    EXPECT_EQ(list.nextToResolve(75001).size(), 8) << "then the given-up are tried again";
    EXPECT_TRUE(list.isListed(QStringLiteral("bea")) && list.isListed(QStringLiteral("ann")));
}

TEST(LanGameList, HowManyAreRememberedIsBounded)
{
    LanGameList list(LanGameList::Limits{8, 4, 100, 15000, 60000});
    EXPECT_EQ(addJunk(list, 150), 100);
    EXPECT_FALSE(list.add(junkKey(0))) << "known already";
    EXPECT_EQ(list.nextToResolve(0).size(), 4);
    list.remove(junkKey(50));
    EXPECT_TRUE(list.add(QStringLiteral("ann"))) << "a withdrawn one makes room";
    list.clear();
    EXPECT_EQ(list.knownCount(), 0);
}

} // namespace
