#include "tablesoptions.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool number(const std::string &text, long low, long high, int &out)
{
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    out = int(v);
    return true;
}

bool readFile(const std::string &path, std::string &text)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

// "PID HOST:PORT" a line, one game host per table.
bool readHosts(const std::string &text, TablesOptions &options, std::string &error)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string pid, address;
        if (!(fields >> pid))
            continue;
        int p = 0;
        const std::optional<Endpoint> endpoint = fields >> address ? Endpoint::parse(address) : std::nullopt;
        if (!number(pid, 1, 1 << 30, p) || !endpoint) {
            error = "a hosts line is not \"PID HOST:PORT\": " + line;
            return false;
        }
        options.pids.push_back(p);
        options.hosts.push_back(*endpoint);
    }
    if (options.hosts.empty())
        error = "no host listed";
    return !options.hosts.empty();
}

bool readPids(const std::string &text, std::vector<int> &pids)
{
    std::istringstream in(text);
    std::string one;
    while (std::getline(in, one, ',')) {
        int pid = 0;
        if (!number(one, 1, 1 << 30, pid))
            return false;
        pids.push_back(pid);
    }
    return !pids.empty();
}

bool readSources(const std::string &text, SourceSpread &sources)
{
    const std::size_t colon = text.find(':');
    return colon != std::string::npos && number(text.substr(0, colon), 1, 254, sources.first)
           && number(text.substr(colon + 1), 1, 254, sources.count) && sources.valid();
}

} // namespace

std::optional<TablesOptions> parseTablesOptions(const std::vector<std::string> &words, std::string &error)
{
    TablesOptions options;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        const std::string &word = words[i];
        if (i + 1 >= words.size()) {
            error = word + " needs a value";
            return std::nullopt;
        }
        const std::string &value = words[i + 1];
        bool ok = true;
        std::string text;
        if (word == "--server") {
            const std::optional<Endpoint> server = Endpoint::parse(value);
            ok = server.has_value();
            if (ok)
                options.servers = ShardList(*server);
        } else if (word == "--shards") {
            ok = readFile(value, text) && (options.servers = ShardList::parse(text, error)).has_value();
        } else if (word == "--hosts") {
            ok = readFile(value, text) && readHosts(text, options, error);
        } else if (word == "--pid") {
            ok = readPids(value, options.pids);
        } else if (word == "--tables") {
            ok = number(value, 1, 1000000, options.tables);
        } else if (word == "--procs") {
            ok = number(value, 1, 256, options.procs);
        } else if (word == "--seconds") {
            ok = number(value, 1, 86400, options.seconds);
        } else if (word == "--idle-seconds") {
            ok = number(value, 1, 86400, options.idleSeconds);
        } else if (word == "--pace-ms") {
            ok = number(value, 1, 600000, options.paceMs);
        } else if (word == "--open-at-once") {
            ok = number(value, 1, 100000, options.openAtOnce);
        } else if (word == "--churn") {
            ok = number(value, 1, 100000000, options.churn);
        } else if (word == "--sources") {
            ok = readSources(value, options.sources);
        } else if (word == "--settle-ms") {
            ok = number(value, 0, 600000, options.settleMs);
        } else if (word == "--answer-timeout-ms") {
            ok = number(value, 1, 600000, options.answerTimeoutMs);
        } else {
            error = "unknown option " + word;
            return std::nullopt;
        }
        if (!ok) {
            if (error.empty())
                error = "bad value for " + word + ": " + value;
            return std::nullopt;
        }
    }
    if (options.servers.has_value() == !options.hosts.empty()) {
        error = "give either --server or --shards, or else --hosts";
        return std::nullopt;
    }
    if (!options.hosts.empty() && options.churn > 0) {
        error = "--churn needs a table server";
        return std::nullopt;
    }
    if (!options.hosts.empty()) // one table per game host
        options.tables = int(options.hosts.size());
    return options;
}
