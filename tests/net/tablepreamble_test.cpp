#include "tablecode.h"
#include "tablepreamble.h"

#include <gtest/gtest.h>

using namespace protocol;

TEST(TableCode, NormalizesWhatPeopleTypeAndRefusesTheRest)
{
    EXPECT_EQ(tablecode::normalize(u"K7Q2-M9XA"), QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(tablecode::normalize(u"k7q2m9xa"), QStringLiteral("K7Q2M9XA"));
    EXPECT_EQ(tablecode::normalize(u" k7q2 - m9xA "), QStringLiteral("K7Q2M9XA"));
    // Too short, too long, and characters outside the alphabet (0, O, 1, I, punctuation).
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9X").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9XAB").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9X0").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9XO").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9X1").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9XI").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2:M9XA").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"").isEmpty());
    EXPECT_TRUE(tablecode::normalize(u"K7Q2M9XAK7Q2M9XAK7Q2M9XA").isEmpty());
}

TEST(TableCode, DisplaysInTwoGroupsAndIndexesTheAlphabet)
{
    EXPECT_EQ(tablecode::display(QStringLiteral("K7Q2M9XA")), QStringLiteral("K7Q2-M9XA"));
    EXPECT_EQ(tablecode::display(QStringLiteral("not a code")), QStringLiteral("not a code"));
    EXPECT_EQ(tablecode::AlphabetSize, 32);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('A')), 0);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('Z')), 23);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('2')), 24);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('9')), 31);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('I')), -1);
    EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char('a')), -1);
}

TEST(TablePreamble, BuildsAndReadsEveryMessage)
{
    EXPECT_EQ(OpenTable{}.build(), QByteArray("CMD_opentable+"));
    EXPECT_EQ(JoinTable{"k7q2-m9xa"}.build(), QByteArray("CMD_jointable+k7q2-m9xa"));
    EXPECT_EQ(TableOpened{"K7Q2M9XA"}.build(), QByteArray("CMD_tableopened+K7Q2M9XA"));
    EXPECT_EQ(NoTable{"zzzz"}.build(), QByteArray("CMD_notable+zzzz"));
    EXPECT_EQ(TableAt{"[2001:db8::7]:7772"}.build(), QByteArray("CMD_tableat+[2001:db8::7]:7772"));

    EXPECT_EQ(parseTableRequest("CMD_opentable+"), TableRequest(OpenTable{}));
    EXPECT_EQ(parseTableRequest("CMD_jointable+k7q2-m9xa"), TableRequest(JoinTable{"k7q2-m9xa"}));
    EXPECT_EQ(parseTableAnswer("CMD_tableopened+K7Q2M9XA"), TableAnswer(TableOpened{"K7Q2M9XA"}));
    EXPECT_EQ(parseTableAnswer("CMD_notable+zzzz"), TableAnswer(NoTable{"zzzz"}));
    EXPECT_EQ(parseTableAnswer("CMD_tableat+h:1"), TableAnswer(TableAt{"h:1"}));
}

TEST(TablePreamble, RefusesAnythingElse)
{
    for (const char *line : {"", "CMD_opentable", "CMD_opentable+x", "CMD_jointable+", "CMD_jointable+A+B",
                             "CMD_receivedlogininfo+Ann+1.0.9", "CMD_tableopened+K7Q2M9XA", "garbage+"})
        EXPECT_FALSE(parseTableRequest(line).has_value()) << line;
    for (const char *line : {"", "CMD_tableopened+", "CMD_notable", "CMD_tableat+", "CMD_sendlogininfo+1",
                             "CMD_full+", "CMD_opentable+"})
        EXPECT_FALSE(parseTableAnswer(line).has_value()) << line;
}
