#include "shardmap.h"

#include "tablecode.h"

std::optional<ShardMap> ShardMap::parse(const QByteArray &text, int self, QString *error)
{
    ShardMap map;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        map.m_addresses.append(line);
    }
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // A line goes to players as one field of CMD_tableat: no separator, no blank, no
    // terminator in it.
    for (const QByteArray &address : std::as_const(map.m_addresses)) {
        for (const char c : address) {
            if (c == '+' || c == char(0xFF) || QChar::isSpace(uchar(c)) || uchar(c) < 0x20)
                return fail(QStringLiteral("the shards file line \"%1\" is not an address")
                                .arg(QString::fromLatin1(address)));
        }
    }
    if (map.m_addresses.isEmpty())
        return fail(QStringLiteral("the shards file lists no address"));
    if (map.m_addresses.size() > tablecode::AlphabetSize)
        return fail(QStringLiteral("the shards file lists %1 addresses; at most %2 shards")
                        .arg(map.m_addresses.size())
                        .arg(tablecode::AlphabetSize));
    if (self < 0 || self >= map.m_addresses.size())
        return fail(QStringLiteral("shard %1 is not in the shards file (0 to %2)")
                        .arg(self)
                        .arg(map.m_addresses.size() - 1));
    map.m_self = self;
    return map;
}

int ShardMap::shardOf(const QByteArray &code) const
{
    const int index = code.isEmpty() ? -1 : tablecode::alphabetIndex(QLatin1Char(code.front()));
    return index < 0 ? -1 : index % count();
}
