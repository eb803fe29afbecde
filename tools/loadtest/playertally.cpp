#include "playertally.h"

#include <array>
#include <sstream>

namespace {

// The counts in the order they are written.
template <class Tally>
auto countFields(Tally &t)
{
    return std::array{&t.requests,     &t.answers, &t.opened,     &t.failedTables, &t.connectFailed,
                      &t.closedByPeer, &t.refused, &t.unanswered, &t.redirected,   &t.games};
}

} // namespace

void PlayerTally::merge(const PlayerTally &other)
{
    rolls.merge(other.rolls);
    allDone.merge(other.allDone);
    const auto mine = countFields(*this);
    const auto theirs = countFields(other);
    for (std::size_t i = 0; i < mine.size(); ++i)
        *mine[i] += *theirs[i];
}

std::string PlayerTally::serialize() const
{
    std::ostringstream out;
    out << "counts";
    for (const long *count : countFields(*this))
        out << ' ' << *count;
    out << '\n' << rolls.serialize() << '\n' << allDone.serialize() << '\n';
    return out.str();
}

bool PlayerTally::parse(const std::string &text, PlayerTally &out)
{
    std::istringstream in(text);
    std::string counts, rollLine, doneLine;
    if (!std::getline(in, counts) || !std::getline(in, rollLine) || !std::getline(in, doneLine))
        return false;
    PlayerTally t;
    std::istringstream fields(counts);
    std::string word;
    if (!(fields >> word) || word != "counts")
        return false;
    for (long *count : countFields(t)) {
        if (!(fields >> *count) || *count < 0)
            return false;
    }
    if (fields >> word)
        return false;
    if (!LatencyHistogram::parse(rollLine, t.rolls) || !LatencyHistogram::parse(doneLine, t.allDone))
        return false;
    out = std::move(t);
    return true;
}
