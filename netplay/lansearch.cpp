#include "lansearch.h"

#include "modulelibrary.h"
#include "netplaymodule.h"

LanSearch::LanSearch(QObject *parent)
    : LanSearch(ModuleLibrary::defaultFolders(), parent)
{
}

LanSearch::LanSearch(const QStringList &moduleFolders, QObject *parent)
    : QObject(parent)
    , m_module(std::make_unique<NetplayModule>(moduleFolders))
{
}

LanSearch::~LanSearch()
{
    m_engine.reset();
}

void LanSearch::start()
{
    if (!m_engine) {
        const NetplayEntry *entry = m_module->entry();
        if (!entry) {
            Q_EMIT noteChanged(m_module->problem(QStringLiteral("Games on the local network cannot be listed")));
            return;
        }
        m_engine.reset(entry->browser(*this));
    }
    m_engine->start();
}

void LanSearch::stop()
{
    if (m_engine)
        m_engine->stop();
}
