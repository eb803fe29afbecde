// TableRegistry: the open tables of a server, by id and by code.
#pragma once

#include "codegenerator.h"
#include "servertable.h"
#include "shardmap.h"
#include "slotpool.h"

#include <QHash>
#include <memory>

class TableRegistry
{
public:
    explicit TableRegistry(CodeGenerator generator = CodeGenerator())
        : m_generator(std::move(generator))
    {
    }

    // Opens a table with a new code of the shard, unique among the open tables.
    ServerTable &open(ServerTable::Host &host, const ShardMap &shards, double nowMs);
    // The open table with this normalised code, or null.
    ServerTable *find(const QByteArray &code) const;
    ServerTable *at(quint64 id) const { return m_tables.find(id); }
    // Takes the table out of the registry; its code is free again.
    std::unique_ptr<ServerTable> close(quint64 id);
    qsizetype size() const { return m_tables.size(); }

private:
    CodeGenerator m_generator;
    SlotPool<ServerTable> m_tables;
    QHash<QByteArray, quint64> m_byCode;
};
