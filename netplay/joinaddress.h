// JoinAddress: the host address a player types: a name, an IPv4 or an IPv6 address, with or
// without a port.
#pragma once

#include "ports.h"
#include <QString>
#include <QtGlobal>

struct JoinAddress
{
    static constexpr quint16 GamePort = ports::Game;
    static constexpr int MaxHostChars = 253; // the longest DNS name

    QString host;            // name, dotted or IPv6 address (no brackets), without the port
    quint16 port = GamePort; // ":port" when given, else the game's port
    bool portGiven = false;  // the text named the port
    QString problem;         // why the text is not an address; empty when it is

    bool valid() const { return problem.isEmpty(); }
    // The host is a dotted IPv4 address ("192.168.1.20"), which needs no lookup.
    bool dottedIPv4() const;
    // The host is an IPv6 address ("2001:db8::7"), which needs no lookup either.
    bool ipv6() const;

    // Reads "host", "host:port", "a.b.c.d:port", an IPv6 address ("2001:db8::7", which has
    // no port part) or one in brackets ("[2001:db8::7]", "[2001:db8::7]:7772"); spaces around
    // it are ignored. Schemes ("http://") and paths are refused with a sentence saying why.
    static JoinAddress parse(const QString &typed);
    // The text a join is started with: the host, and ":port" unless it is the game's port
    // (an IPv6 host then in brackets: "[2001:db8::7]:7000"). parse() reads it back.
    QString text() const;
};
