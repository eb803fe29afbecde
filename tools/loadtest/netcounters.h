#pragma once

// The machine's own network counters that explain stalls on loopback: packets dropped because
// a core's input backlog was full (each one waits for a TCP retransmission), and the TCP
// segments sent again. Machine-wide, so another program's traffic counts too.
struct NetCounters
{
    long long backlogDrops = -1;  // /proc/net/softnet_stat, second column, summed over cores
    long long retransmitted = -1; // /proc/net/snmp, Tcp RetransSegs

    static NetCounters read();
    NetCounters since(const NetCounters &before) const;
};
