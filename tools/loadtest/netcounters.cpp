#include "netcounters.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

NetCounters NetCounters::read()
{
    NetCounters c;
    std::ifstream softnet("/proc/net/softnet_stat");
    std::string processed, dropped;
    for (long long sum = 0; softnet >> processed >> dropped; c.backlogDrops = sum) {
        sum += std::stoll(dropped, nullptr, 16);
        softnet.ignore(1 << 12, '\n');
    }
    // Two "Tcp:" lines: the names, then the values.
    std::ifstream snmp("/proc/net/snmp");
    std::string line;
    std::vector<std::string> names;
    while (std::getline(snmp, line)) {
        if (line.rfind("Tcp:", 0) != 0)
            continue;
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string w; fields >> w;)
            words.push_back(w);
        if (names.empty()) {
            names = words;
            continue;
        }
        for (std::size_t i = 1; i < words.size() && i < names.size(); ++i) {
            if (names[i] == "RetransSegs")
                c.retransmitted = std::stoll(words[i]);
        }
    }
    return c;
}

NetCounters NetCounters::since(const NetCounters &before) const
{
    NetCounters d;
    if (backlogDrops >= 0 && before.backlogDrops >= 0)
        d.backlogDrops = backlogDrops - before.backlogDrops;
    if (retransmitted >= 0 && before.retransmitted >= 0)
        d.retransmitted = retransmitted - before.retransmitted;
    return d;
}
