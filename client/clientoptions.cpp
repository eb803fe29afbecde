#include "clientoptions.h"

#include "chatinput.h"
#include "chatview.h"
#include "clientgame.h"
#include "clientsettings.h"
#include "clientstate.h"
#include "colorchooser.h"
#include "gamedefaults.h"
#include "gamesounds.h"
#include "mainmenu.h"
#include "phrasesform.h"
#include "requests.h"
#include "windowplace.h"
#include "workarea.h"

#include <QAction>
#include <QWidget>

ClientOptions::ClientOptions(Parts parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
    m_values.openPort = m_parts.settings.readOpenPort();
    render();
    connectMenu();
}

void ClientOptions::render()
{
    MainMenu &menu = m_parts.menu;
    menu.playSounds()->setChecked(m_values.playSounds);
    menu.playChatterSounds()->setChecked(m_values.chatterSounds);
    menu.markTurnSound(m_values.turnSound);
    menu.markBotspeed(m_values.botSpeed);
    menu.markTextSize(m_values.textSize);
    menu.openPortOnRouter()->setChecked(m_values.openPort);
    menu.colourSymbols()->setChecked(m_values.colourSymbols);
    m_parts.sounds.enabled = m_values.playSounds;
    m_parts.sounds.chatterEnabled = m_values.chatterSounds;
    m_parts.game.turnSoundNew = m_values.turnSound == 1;
    // The chat keeps its own size until the settings are read; restyling every line is done
    // only when the size changed.
    if (m_values.textSize > 0 && m_values.textSize != m_shownTextSize) {
        m_parts.chat.setTextSize(m_values.textSize);
        m_shownTextSize = m_values.textSize;
    }
    m_parts.input.setTextColor(m_values.textColor);
    m_parts.input.setPhrases(m_values.phrases);
    if (m_shownSymbols != m_values.colourSymbols) {
        m_shownSymbols = m_values.colourSymbols;
        Q_EMIT colourSymbolsChanged(m_values.colourSymbols);
    }
}

void ClientOptions::connectMenu()
{
    MainMenu &menu = m_parts.menu;
    for (QAction *speed : {menu.slowBots(), menu.normalBots(), menu.fastBots()})
        connect(speed, &QAction::triggered, this, [this, speed] { chooseBotSpeed(speed->data().toInt()); });
    connect(menu.playSounds(), &QAction::triggered, this, &ClientOptions::toggleSounds);
    connect(menu.playChatterSounds(), &QAction::triggered, this, &ClientOptions::toggleChatterSounds);
    connect(menu.classicTurnSound(), &QAction::triggered, this, [this] { chooseTurnSound(0); });
    connect(menu.newTurnSound(), &QAction::triggered, this, [this] { chooseTurnSound(1); });
    for (QAction *size : menu.textSizes())
        connect(size, &QAction::triggered, this, [this, size] { chooseTextSize(size->data().toInt()); });
    connect(menu.textColor(), &QAction::triggered, this, &ClientOptions::chooseTextColor);
    connect(menu.resetScreenLocation(), &QAction::triggered, this, &ClientOptions::resetWindowPlace);
    connect(menu.colourSymbols(), &QAction::triggered, this, &ClientOptions::toggleColourSymbols);
}

void ClientOptions::loadinifile()
{
    // A file that size is no settings file: it reads as missing and is never written.
    if (m_parts.settings.file().tooLarge())
        m_parts.chat.addStatus(QStringLiteral("The settings file is too large to be read; it is left as it is "
                                              "and the default settings are used."));
    const ClientSettings::Values v = m_parts.settings.read();
    // The phrases and the router's port are kept in keys of their own.
    const QStringList phrases = m_values.phrases;
    const bool openPort = m_values.openPort;
    m_values = v.options;
    m_values.openPort = openPort;
    // An empty or missing phrase key leaves the phrase as it is.
    m_values.phrases = Tphrases::storedPhrases(m_parts.settings.file(), phrases);
    render();
    if (m_parts.state.loggedin && m_parts.state.myid == 1)
        Q_EMIT requestReady(protocol::BotSpeed{1, m_values.botSpeed}.build());
    m_lastSaved = v.geometry;
    // A place off the screen, or a size the screen cannot show (a huge one would also cost
    // memory for its pixels), is not used; closing then stores where the window really is.
    const bool fits = !v.geometry.isEmpty() && m_parts.workArea.workArea().contains(v.geometry);
    m_parts.place.apply(fits ? v.geometry : gamedefaults::MainWindowPlace);
    m_sectionRead = true;
}

void ClientOptions::saveinifile()
{
    save({});
}

ClientSettings::Values ClientOptions::current() const
{
    return {m_values, m_parts.place.outer()};
}

void ClientOptions::save(const Change &change)
{
    ClientSettings::Values v = m_sectionRead ? current() : m_parts.settings.read();
    if (change)
        change(v);
    m_parts.settings.write(v);
}

void ClientOptions::storeWindowPlace()
{
    QRect geometry = m_parts.place.outer();
    if (!m_sectionRead || geometry == m_lastSaved)
        return;
    const QRect area = m_parts.workArea.workArea();
    // Once each, so a window that was too large for the screen comes back a little smaller.
    if (geometry.width() > area.width())
        geometry.setWidth(geometry.width() - Shrink);
    if (geometry.height() > area.height())
        geometry.setHeight(geometry.height() - Shrink);
    m_parts.place.applySize(geometry.size());
    m_lastSaved = geometry;
    save([&geometry](ClientSettings::Values &v) { v.geometry = geometry; });
}

void ClientOptions::resetWindowPlace()
{
    m_parts.place.apply(gamedefaults::MainWindowPlace);
}

void ClientOptions::toggleSounds()
{
    const bool on = !m_values.playSounds;
    m_values.playSounds = on;
    render();
    save([on](ClientSettings::Values &v) { v.options.playSounds = on; });
}

void ClientOptions::toggleChatterSounds()
{
    const bool on = !m_values.chatterSounds;
    m_values.chatterSounds = on;
    render();
    save([on](ClientSettings::Values &v) { v.options.chatterSounds = on; });
}

void ClientOptions::chooseTurnSound(int tag)
{
    m_values.turnSound = tag == 1 ? 1 : 0;
    render();
    save([tag](ClientSettings::Values &v) { v.options.turnSound = tag == 1 ? 1 : 0; });
}

void ClientOptions::chooseBotSpeed(int ms)
{
    m_values.botSpeed = ms;
    render();
    save([ms](ClientSettings::Values &v) { v.options.botSpeed = ms; });
    if (m_parts.state.loggedin)
        Q_EMIT requestReady(protocol::BotSpeed{m_parts.state.myid, ms}.build());
}

void ClientOptions::chooseTextColor()
{
    const std::optional<QColor> chosen = m_parts.colors.chooseColor(m_values.textColor, &m_parts.window);
    if (!chosen)
        return;
    m_values.textColor = *chosen;
    render();
    save([color = *chosen](ClientSettings::Values &v) { v.options.textColor = color; });
}

void ClientOptions::chooseTextSize(int points)
{
    m_values.textSize = points;
    render();
    save([points](ClientSettings::Values &v) { v.options.textSize = points; });
}

void ClientOptions::toggleColourSymbols()
{
    const bool on = !m_values.colourSymbols;
    m_values.colourSymbols = on;
    render();
    save([on](ClientSettings::Values &v) { v.options.colourSymbols = on; });
}

void ClientOptions::setPhrases(const QStringList &phrases)
{
    for (int n = 0; n < m_values.phrases.size() && n < phrases.size(); ++n)
        m_values.phrases[n] = phrases.at(n);
    render();
}

void ClientOptions::setOpenPort(bool on)
{
    m_values.openPort = on;
    render();
    m_parts.settings.writeOpenPort(on);
}
