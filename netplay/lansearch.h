// LanSearch: follows the games announced on the local network while the Join window shows.
#pragma once

#include "netplayengines.h"

#include <QObject>
#include <QStringList>
#include <memory>

class NetplayModule;

// The search lives in the network module (see LanBrowser), opened by the first start().
// Without the module, start() gives a note saying why and the list stays empty.
class LanSearch : public QObject, private BrowserEvents
{
    Q_OBJECT
public:
    explicit LanSearch(QObject *parent = nullptr);
    // moduleFolders: where the network module is looked for.
    explicit LanSearch(const QStringList &moduleFolders, QObject *parent = nullptr);
    ~LanSearch() override;

    void start();
    // Stops searching; never opens the module.
    void stop();
    bool browsing() const { return m_engine && m_engine->browsing(); }

Q_SIGNALS:
    // Emitted when a game was found or its record changed.
    void gameFound(const LanGame &game);
    // Emitted when the game with this key is no longer announced.
    void gameLost(const QString &key);
    // Emitted with a one-line note about the search (empty when the search runs normally).
    void noteChanged(const QString &note);

private:
    void lanGameFound(const LanGame &game) override { Q_EMIT gameFound(game); }
    void lanGameLost(const QString &key) override { Q_EMIT gameLost(key); }
    void browserNote(const QString &note) override { Q_EMIT noteChanged(note); }

    std::unique_ptr<NetplayModule> m_module;
    std::unique_ptr<BrowserEngine> m_engine; // made by the first start
};
