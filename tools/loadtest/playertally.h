#pragma once

#include "latencyhistogram.h"

#include <string>

// What one load process saw of its tables: the answer times and the counts, sent to the
// parent process as one line and added up there.
struct PlayerTally
{
    LatencyHistogram rolls;   // CMD_rollthedice until this seat's CMD_createdice
    LatencyHistogram allDone; // CMD_alldone until this seat's CMD_scores or CMD_noscore
    long requests = 0;        // turn requests sent while measuring
    long answers = 0;         // of them answered while measuring
    long opened = 0;          // tables with every seat logged in (a churn: opened and left)
    long failedTables = 0;    // tables that never got all their seats
    long connectFailed = 0;   // connections that could not be made
    long closedByPeer = 0;    // seated connections the server closed
    long refused = 0;         // CMD_full or CMD_notable
    long unanswered = 0;      // requests without an answer in time
    long redirected = 0;      // CMD_tableat answers followed
    long games = 0;           // games that ended with CMD_winner

    long errors() const { return failedTables + connectFailed + closedByPeer + refused + unanswered; }
    void merge(const PlayerTally &other);

    // Three lines: the counts, then each histogram. parse() reads them back.
    std::string serialize() const;
    static bool parse(const std::string &text, PlayerTally &out);
};
