#include "tableregistry.h"

ServerTable &TableRegistry::open(ServerTable::Host &host, const ShardMap &shards, double nowMs)
{
    QByteArray code;
    do {
        code = m_generator.next(shards.self(), shards.count());
    } while (m_byCode.contains(code));
    const quint64 id = m_tables.insert(std::make_unique<ServerTable>(host, code, nowMs));
    ServerTable &table = *m_tables.find(id);
    table.setId(id);
    m_byCode.insert(code, id);
    return table;
}

ServerTable *TableRegistry::find(const QByteArray &code) const
{
    const auto it = m_byCode.constFind(code);
    return it == m_byCode.cend() ? nullptr : m_tables.find(*it);
}

std::unique_ptr<ServerTable> TableRegistry::close(quint64 id)
{
    std::unique_ptr<ServerTable> table = m_tables.take(id);
    if (table)
        m_byCode.remove(table->code());
    return table;
}
