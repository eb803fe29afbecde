#include "netplaymodule.h"

#include "modulelibrary.h"

NetplayModule::NetplayModule()
    : NetplayModule(ModuleLibrary::defaultFolders())
{
}

NetplayModule::NetplayModule(const QStringList &folders)
    : m_library(std::make_unique<ModuleLibrary>(QString::fromLatin1(ModuleName), folders))
{
}

NetplayModule::~NetplayModule() = default; // an opened module stays loaded

const NetplayEntry *NetplayModule::entry()
{
    if (!m_entry) {
        if (auto *function = m_library->entry<NetplayEntryFunction>(NetplayEntrySymbol))
            m_entry = function();
    }
    return m_entry;
}

QString NetplayModule::problem(const QString &what) const
{
    return QStringLiteral("%1: the game's network module could not be opened (%2).")
        .arg(what, m_library->errorString());
}

void NetplayModule::lookUpHost(const QString &host, QObject *context, std::function<void(QString)> done)
{
    if (const NetplayEntry *found = entry()) {
        found->lookUpHost(host, context, std::move(done));
        return;
    }
    done(problem(QStringLiteral("The address \"%1\" cannot be looked up").arg(host.left(60))));
}
