// SimGame: one whole game between computer players through the real turn engine and
// computer player, on a virtual clock.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

struct SimResult
{
    bool finished = false;         // the game reached its winner
    std::array<int, 5> scores{};   // final totals, seats 1 to 4
    std::array<bool, 5> winners{}; // every seat with the best total (ties included)
    int rounds = 0;
    std::int64_t messages = 0;     // broadcasts sent
    std::int64_t messageBytes = 0; // their size, terminators included
    std::int64_t virtualMs = 0;    // game time on the virtual clock
    QByteArray winnerMessage;      // the game's last broadcast
};

// Seat 1 (and seats 3 and 4 with four seats) is connected without a socket and switched
// to just watch once the game has started; seat 2 is Klot. Dice come from the
// process-wide generator, so a seeded run repeats itself.
class SimGame
{
public:
    static constexpr std::int64_t MaxEvents = 1'000'000; // a game that runs longer is cut off
    static constexpr int DefaultBotSpeedMs = 500;        // the Fast setting

    explicit SimGame(int seats, int botspeedms = DefaultBotSpeedMs);

    SimResult play() const;

private:
    int m_seats;
    int m_botspeedms;
};
