// Every message line of the fuzz corpora that the typed messages accept builds back to the
// same bytes, except the few the readers accept in a loose spelling (listed below).
#include "announcements.h"
#include "requests.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace {

using protocol::ProtocolError;
struct Rebuilt
{
    QByteArray line;
    bool readsTheSame; // the rebuilt line parses to the same value
};
// The rebuilt line, or nothing when the line is refused.
using Rebuild = std::function<std::optional<Rebuilt>(const QByteArray &rest)>;
using Table = std::map<QByteArray, Rebuild>;

template <typename T>
void route(Table &table)
{
    table[T::Command] = [](const QByteArray &rest) -> std::optional<Rebuilt> {
        T value;
        try {
            value = T::parse(rest);
        } catch (const ProtocolError &) {
            return std::nullopt;
        }
        const QByteArray line = value.build();
        return Rebuilt{line, T::parse(protocol::splitCommand(line).second) == value};
    };
}

const Table &requestTable()
{
    static const Table table = [] {
        Table t;
        route<protocol::LoginInfo>(t);
        route<protocol::KickHim>(t);
        route<protocol::BotSpeed>(t);
        route<protocol::ChatRequest>(t);
        route<protocol::ActionRequest>(t);
        route<protocol::StartGame>(t);
        route<protocol::JustWatch>(t);
        route<protocol::RollTheDice>(t);
        route<protocol::AllDone>(t);
        route<protocol::PlaySoundRequest>(t);
        return t;
    }();
    return table;
}

const Table &announcementTable()
{
    static const Table table = [] {
        Table t;
        route<protocol::SendLoginInfo>(t);
        route<protocol::Full>(t);
        route<protocol::NewPlayerInfo>(t);
        route<protocol::ExistingPlayers>(t);
        route<protocol::PlayerDisconnected>(t);
        route<protocol::HaveWrongVersion>(t);
        route<protocol::WrongVersion>(t);
        route<protocol::LoadStats>(t);
        route<protocol::LoadPScores>(t);
        route<protocol::JustWatching>(t);
        route<protocol::Chat>(t);
        route<protocol::Action>(t);
        route<protocol::PlaySound>(t);
        route<protocol::StartGame>(t);
        route<protocol::NextPlayer>(t);
        route<protocol::CreateDice>(t);
        route<protocol::Scores>(t);
        route<protocol::MarkOff>(t);
        route<protocol::NoScore>(t);
        route<protocol::Winner>(t);
        return t;
    }();
    return table;
}

// The message lines of a corpus: each piece between terminators from its first command word.
QList<QByteArray> corpusLines(const QString &folder)
{
    QList<QByteArray> lines;
    const QDir dir(QStringLiteral(DORVANE_TEST_DATA "/../fuzz/corpus/") + folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &piece : file.readAll().split(protocol::Terminator)) {
            const qsizetype at = piece.indexOf("CMD_");
            if (at >= 0)
                lines.append(piece.mid(at));
        }
    }
    return lines;
}

// True when built is line with empty trailing fields the sender left out ("+" only).
bool onlyPadded(const QByteArray &line, const QByteArray &built)
{
    if (!built.startsWith(line) || built.size() == line.size())
        return false;
    return std::all_of(built.begin() + line.size(), built.end(), [](char c) { return c == '+'; });
}

// Accepted lines build back to themselves, to themselves with the empty trailing fields
// written out, or to the tidy spelling listed for them (by their percent-encoding); the tidy line
// reads the same.
int checkCorpus(const QString &folder, const Table &table, const std::map<QByteArray, QByteArray> &loose)
{
    int parsed = 0;
    for (const QByteArray &line : corpusLines(folder)) {
        const auto [command, rest] = protocol::splitCommand(line);
        const auto route = table.find(command);
        if (route == table.end())
            continue;
        const std::optional<Rebuilt> rebuilt = route->second(rest);
        if (!rebuilt)
            continue;
        ++parsed;
        SCOPED_TRACE(folder.toStdString() + ": " + line.toPercentEncoding(" +|:").toStdString());
        EXPECT_TRUE(rebuilt->readsTheSame);
        const QByteArray shown = line.toPercentEncoding(" +|:");
        const auto tidy = loose.find(shown);
        if (tidy != loose.end()) {
            EXPECT_EQ(rebuilt->line.toPercentEncoding(" +|:").toStdString(), tidy->second.toStdString());
        } else if (!onlyPadded(line, rebuilt->line)) {
            EXPECT_EQ(rebuilt->line.toPercentEncoding(" +|:").toStdString(), shown.toStdString());
        }
    }
    return parsed;
}

TEST(MessageCorpus, RequestLinesBuildBackToThemselves)
{
    const std::map<QByteArray, QByteArray> loose;
    for (const QString &folder : {QStringLiteral("hostdispatch"), QStringLiteral("protocol")})
        EXPECT_GT(checkCorpus(folder, requestTable(), loose), 0) << folder.toStdString();
}

TEST(MessageCorpus, AnnouncementLinesBuildBackToThemselves)
{
    // Lines (percent-encoded) whose fields clients read loosely: any watch mode but "1",
    // any score kind but "bonus" and "goneout", a sound's seat that is not a number, and
    // whatever follows the fields a message has.
    const std::map<QByteArray, QByteArray> loose = {
        {"CMD_full+%00%00%00%2A1++103", "CMD_full+"},
        {"CMD_full+ng+3+1", "CMD_full+"},
        {"CMD_justwatching+1+0", "CMD_justwatching+1+2"},
        {"CMD_justwatching+3+_newplayerinfo+5+Spy", "CMD_justwatching+3+2"},
        {"CMD_playasound+", "CMD_playasound+0+"},
        {"CMD_playasound+3Ming%28for IS%F510646%29+wave13+", "CMD_playasound+0+wave13+"},
        {"CMD_playasound+x+wave99+", "CMD_playasound+0+wave99+"},
        {"CMD_scores+1+1+30+1+1+2+2+2+3+3+3+4+4+4+5+1+5+6+2+6+7+3+7+8+4+8+9+1+9+10+2+10+1+3",
         "CMD_scores+1+1+30+1+1+none+2+2+3+3+3+4+4+4+5+1+5+6+2+6+7+3+7+8+4+8+9+1+9+10+2+10+1+3"},
        {"CMD_scores+1+1+30+30+0+normal+1+2+3+4+5+6", "CMD_scores+1+1+30+30+0+none+1+2+3+4+5+6"},
        {"CMD_scores+1+2+75+45+20+gone+1+1", "CMD_scores+1+2+75+45+20+none+1+1"},
        {"CMD_scores+4+10+100+10+0+norm%9F%93M%00CMD_sendlogininfo+1", "CMD_scores+4+10+100+10+0+none+1"},
        {"CMD_scores+4+10+100+10+0+normal%00%00%00%00%00%00%00%00D_nextplayer+4+10+10",
         "CMD_scores+4+10+100+10+0+none+4+10+10"},
        {"CMD_scores+4+10+100+10+0+normal+none", "CMD_scores+4+10+100+10+0+none+none"},
        {"CMD_startgame+Y%02%00%00%00%00%00%00%00inner+xtplayer+2+1+1%00%00%00%CEdlogininfo+1",
         "CMD_startgame+Y%02%00%00%00%00%00%00%00inner+xtplayer+2+1+"},
    };
    for (const QString &folder : {QStringLiteral("clientdispatch"), QStringLiteral("protocol")})
        EXPECT_GT(checkCorpus(folder, announcementTable(), loose), 0) << folder.toStdString();
}

} // namespace
