#pragma once

#include "shardlist.h"
#include "sourcespread.h"

#include <optional>
#include <string>
#include <vector>

// A table-server load run: where the tables are, how many, and how the load is spread.
struct TablesOptions
{
    // The table server, or the shards that share the tables by code.
    std::optional<ShardList> servers;
    // Instead of a table server: one game host per table (no first message; the first
    // connection to each host is its entry 1).
    std::vector<Endpoint> hosts;
    std::vector<int> pids; // the server or host processes whose memory and CPU are read

    int tables = 1000;
    int procs = 0;        // load processes; 0 = as many as the open-file limit needs
    int seconds = 60;     // measured play once every table is open
    int idleSeconds = 30; // CPU with every table open and nobody acting
    int settleMs = 8000;  // from the last request to the idle window: answers and pauses end
    int paceMs = 1000;    // a player's time between requests
    int openAtOnce = 32;  // tables being opened at once, per load process
    int churn = 0;        // > 0: open and abandon this many tables instead of playing
    int answerTimeoutMs = 10000;
    SourceSpread sources;

    int seatsPerTable() const { return 4; }
    // The connections one table needs over the run: four seats, or two in a churn.
    int connectionsPerTable() const { return churn > 0 ? 2 : seatsPerTable(); }
    // The table count the run works through.
    int tableCount() const { return churn > 0 ? churn : tables; }
};

// The words after "dorvane-load tables": --server HOST:PORT | --shards FILE | --hosts FILE
// (one "PID HOST:PORT" a line: a game host per table), --pid P[,P...], --tables N,
// --procs P, --seconds S, --idle-seconds S, --pace-ms M, --open-at-once K, --churn N,
// --sources FIRST:COUNT (127.0.0.FIRST on), --answer-timeout-ms M, --settle-ms M. nullopt and the reason
// in `error` on anything else.
std::optional<TablesOptions> parseTablesOptions(const std::vector<std::string> &words, std::string &error);
