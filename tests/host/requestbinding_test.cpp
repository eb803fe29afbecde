// Request binding: which entry may speak for which seat, one table per rule.
#include "requestbinding.h"

#include <gtest/gtest.h>

namespace {

using requestbinding::Rule;

struct Row
{
    int seatField;
    int sender;
    bool allowed;
};

void expectRows(Rule rule, std::initializer_list<Row> rows)
{
    for (const Row &r : rows)
        EXPECT_EQ(requestbinding::allows(rule, r.seatField, r.sender), r.allowed)
            << "rule " << int(rule) << ", seat field " << r.seatField << ", sender " << r.sender;
}

TEST(RequestBinding, OwnSeatRequestsSpeakOnlyForTheSender)
{
    expectRows(Rule::OwnSeat, {
                                  {2, 2, true},
                                  {9, 9, true},
                                  {1, 1, true},
                                  {1, 2, false}, // not even for the hosting seat
                                  {2, 1, false}, // the hosting entry does not speak for others
                                  {0, 2, false},
                                  {-2, 2, false},
                              });
}

TEST(RequestBinding, HostSeatRequestsComeOnlyFromEntryOneAsSeatOne)
{
    expectRows(Rule::HostSeat, {
                                   {1, 1, true},
                                   {2, 2, false},
                                   {1, 2, false},
                                   {2, 1, false},
                                   {0, 1, false},
                               });
}

TEST(RequestBinding, HostOnlyRequestsComeFromEntryOneWhateverTheField)
{
    expectRows(Rule::HostOnly, {
                                   {0, 1, true},
                                   {7, 1, true},
                                   {0, 2, false},
                                   {2, 2, false},
                               });
}

TEST(RequestBinding, JustWatchNamesItsTargetWhichEntryOneChoosesFreely)
{
    expectRows(Rule::OwnOrHostChoice, {
                                          {3, 3, true},
                                          {3, 1, true},
                                          {4, 1, true},
                                          {1, 3, false},
                                          {4, 3, false},
                                      });
}

TEST(RequestBinding, EveryRequestTypeHasItsRule)
{
    using namespace protocol;
    const struct
    {
        const char *name;
        bool allowed;
        bool expected;
    } rows[] = {
        {"log-in for the own seat", requestbinding::mayRequest(LoginInfo{3, "1.0.9", "Cy"}, 3), true},
        {"log-in for another seat", requestbinding::mayRequest(LoginInfo{2, "1.0.9", "Cy"}, 3), false},
        {"chat for another seat", requestbinding::mayRequest(ChatRequest{2, "hi"}, 3), false},
        {"action for the own seat", requestbinding::mayRequest(ActionRequest{3, "waves"}, 3), true},
        {"sound for another seat", requestbinding::mayRequest(PlaySoundRequest::wave(1, 2), 2), false},
        {"roll for another seat", requestbinding::mayRequest(RollTheDice{1, {1}}, 2), false},
        {"all done for the own seat", requestbinding::mayRequest(AllDone{2, {}}, 2), true},
        {"kick from entry 1", requestbinding::mayRequest(KickHim{1, 3}, 1), true},
        {"kick from entry 2 as itself", requestbinding::mayRequest(KickHim{2, 3}, 2), false},
        {"bot speed from entry 2 as seat 1", requestbinding::mayRequest(BotSpeed{1, 500}, 2), false},
        {"start from entry 1", requestbinding::mayRequest(StartGame{"Ann"}, 1), true},
        {"start from entry 2", requestbinding::mayRequest(StartGame{"Bob"}, 2), false},
        {"just watch another seat from entry 1",
         requestbinding::mayRequest(JustWatch{4, WatchMode::ComputerPlays}, 1), true},
        {"just watch another seat from entry 2",
         requestbinding::mayRequest(JustWatch{4, WatchMode::PlayerPlays}, 2), false},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.allowed, r.expected) << r.name;
}

} // namespace
