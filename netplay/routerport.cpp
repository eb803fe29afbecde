#include "routerport.h"

#include "modulelibrary.h"
#include "netplaymodule.h"

RouterPort::RouterPort(RouterOptions options, QObject *parent)
    : RouterPort(std::move(options), ModuleLibrary::defaultFolders(), parent)
{
}

RouterPort::RouterPort(RouterOptions options, const QStringList &moduleFolders, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_module(std::make_unique<NetplayModule>(moduleFolders))
{
}

RouterPort::~RouterPort()
{
    m_engine.reset(); // removes the mapping while this object can still hear about it
}

bool RouterPort::makeEngine(quint16 port)
{
    if (m_engine)
        return true;
    const NetplayEntry *entry = m_module->entry();
    if (!entry) {
        Q_EMIT statusLine(m_module->problem(
            QStringLiteral("The router cannot be asked to open TCP port %1; to let others join, forward it "
                           "to this computer in the router's settings by hand")
                .arg(port)));
        return false;
    }
    m_engine.reset(entry->router(m_options, *this));
    return true;
}

void RouterPort::start(quint16 port)
{
    if (!makeEngine(port)) {
        Q_EMIT answered(false);
        return;
    }
    m_engine->start(port);
}

void RouterPort::tellAddresses(quint16 port)
{
    // Without the module the host hears about it from the announcement on the local network.
    if (!m_engine && !m_module->entry())
        return;
    if (makeEngine(port))
        Q_EMIT statusLine(m_engine->addressesLine(port));
}

void RouterPort::stop()
{
    if (m_engine)
        m_engine->stop();
}
