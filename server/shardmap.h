// ShardMap: which server holds which codes, when several servers share the load by code.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The shards file lists one address a line ("host:port" or "[v6]:port"); blank lines and
// lines starting with '#' are skipped. A code belongs to the shard at the position of its
// first character in the alphabet, modulo the number of shards.
class ShardMap
{
public:
    // One server holding every code.
    ShardMap() = default;
    // Reads the file's text for the shard at position self; nullopt with *error set when
    // the text lists no shard, more shards than the alphabet has characters, a line that
    // cannot go into a message (blanks, '+'), or self is not one of them.
    static std::optional<ShardMap> parse(const QByteArray &text, int self, QString *error);

    int count() const { return m_addresses.isEmpty() ? 1 : int(m_addresses.size()); }
    int self() const { return m_self; }
    // The shard of a normalised code; -1 for a text that is not one.
    int shardOf(const QByteArray &code) const;
    // The address of shard as written in the file (empty for a single server).
    QByteArray address(int shard) const { return m_addresses.value(shard); }

private:
    QList<QByteArray> m_addresses;
    int m_self = 0;
};
