// JoinAddress: the host address a player types: a name or an IPv4 address, optionally ":port".
#pragma once

#include "ports.h"
#include <QString>
#include <QtGlobal>

struct JoinAddress
{
    static constexpr quint16 GamePort = ports::Game;
    static constexpr int MaxHostChars = 253; // the longest DNS name

    QString host;            // name or dotted address, without the port
    quint16 port = GamePort; // ":port" when given, else the game's port
    QString problem;         // why the text is not an address; empty when it is

    bool valid() const { return problem.isEmpty(); }
    // The host is a dotted IPv4 address ("192.168.1.20"), which needs no lookup.
    bool dottedIPv4() const;

    // Reads "host", "host:port" or "a.b.c.d:port" (spaces around it are ignored). IPv6
    // addresses, schemes ("http://") and paths are refused with a sentence saying why.
    static JoinAddress parse(const QString &typed);
    // The text a join is started with: the host, and ":port" unless it is the game's port.
    QString text() const;
};
