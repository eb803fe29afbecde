// NetplayModule: the door to the module "dorvanenetplay", opened on first use.
#pragma once

#include "netplayengines.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ModuleLibrary;

// The router, local-network and lookup code and the libraries under it (miniupnpc, the
// avahi client, Qt Network) are mapped only once a game is hosted or joined. When the
// module cannot be opened, entry() is null and problem() says, as a sentence for the
// player, what cannot be done and why; the game goes on without it.
class NetplayModule
{
public:
    static constexpr const char *ModuleName = "dorvanenetplay";

    // folders: where the module is looked for (ModuleLibrary's folders by default).
    NetplayModule();
    explicit NetplayModule(const QStringList &folders);
    ~NetplayModule();
    NetplayModule(const NetplayModule &) = delete;
    NetplayModule &operator=(const NetplayModule &) = delete;

    // The module's entry, opening it on the first call; null when it cannot be opened.
    const NetplayEntry *entry();
    // "<what>: <why the module could not be opened>."
    QString problem(const QString &what) const;

    // Looks host up through the module (see HostLookUp); without it, done gets the reason at once.
    void lookUpHost(const QString &host, QObject *context, std::function<void(QString)> done);

private:
    std::unique_ptr<ModuleLibrary> m_library;
    const NetplayEntry *m_entry = nullptr;
};
