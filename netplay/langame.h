// LanGame: a game announced on the local network, and the record it is announced with.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct LanGame
{
    static constexpr const char *ServiceType = "_dorvane._tcp";
    static constexpr int MaxShownChars = 40; // longer names from the network are cut
    static constexpr int MaxLabelBytes = 63; // a DNS-SD instance name is one DNS label

    QString key;        // identifies the announcement (interface, protocol, name, domain)
    QString player;     // the hosting player's name (cleaned; at most MaxShownChars)
    int freeSeats = -1; // -1 when the record did not say
    QString address;    // dotted IPv4
    quint16 port = 0;

    // The address to join: "a.b.c.d", or "a.b.c.d:port" off the game's port.
    QString joinText() const;
    // One line for the list: "Ann - 2 free seats - 192.168.1.20".
    QString listText() const;

    // The instance name announced for a player: "Dorvane game of NAME", cut to one DNS label
    // on a character boundary, without control characters.
    static QByteArray instanceName(const QString &player);
    // Text from the network made safe to show: decoded as UTF-8, control characters
    // dropped, cut to maxChars characters (with "..." when cut).
    static QString shownText(const QByteArray &bytes, int maxChars = MaxShownChars);
    // The TXT value of key in "key=value" strings; a null array when absent.
    static QByteArray txtValue(const QList<QByteArray> &txt, const QByteArray &key);
};
