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
    m_parts.menu.PlaySounds1->setChecked(m_parts.sounds.enabled);
    m_parts.menu.PlayChatterSounds1->setChecked(m_parts.sounds.chatterEnabled);
    m_parts.menu.markTurnSound(m_parts.game.turnSoundNew ? 1 : 0);
    connectMenu();
}

void ClientOptions::connectMenu()
{
    MainMenu &menu = m_parts.menu;
    connect(menu.PlaySounds1, &QAction::triggered, this, &ClientOptions::toggleSounds);
    connect(menu.PlayChatterSounds1, &QAction::triggered, this, &ClientOptions::toggleChatterSounds);
    for (QAction *turn : {menu.Classic1, menu.New1})
        connect(turn, &QAction::triggered, this, [this, turn] { chooseTurnSound(turn->data().toInt()); });
    for (QAction *size : menu.TextSizes)
        connect(size, &QAction::triggered, this, [this, size] { chooseTextSize(size->data().toInt()); });
    connect(menu.TextColor1, &QAction::triggered, this, &ClientOptions::chooseTextColor);
    connect(menu.ResetScreenLocation1, &QAction::triggered, this, &ClientOptions::resetWindowPlace);
}

void ClientOptions::loadinifile()
{
    // A file that size is no settings file: it reads as missing and is never written.
    if (m_parts.settings.file().tooLarge())
        m_parts.chat.addStatus(QStringLiteral("The settings file is too large to be read; it is left as it is "
                                              "and the default settings are used."));
    const ClientSettings::Values v = m_parts.settings.read();
    m_parts.chat.setTextSize(v.textsize);
    m_parts.menu.markTextSize(v.textsize);
    m_parts.input.setTextColor(v.textcolor);
    m_parts.state.botspeed = v.botspeed;
    m_parts.menu.markBotspeed(v.botspeed);
    if (m_parts.state.loggedin && m_parts.state.myid == 1)
        Q_EMIT requestReady(protocol::BotSpeed{1, v.botspeed}.build());
    // An empty or missing phrase key leaves the button's phrase as it is.
    m_parts.input.setPhrases(Tphrases::storedPhrases(m_parts.settings.file(), m_parts.input.phrases()));
    m_parts.sounds.enabled = v.playsounds;
    m_parts.menu.PlaySounds1->setChecked(v.playsounds);
    m_lastSaved = v.geometry;
    // A place off the screen, or a size the screen cannot show (a huge one would also cost
    // memory for its pixels), is not used; closing then stores where the window really is.
    const bool fits = !v.geometry.isEmpty() && m_parts.workArea.workArea().contains(v.geometry);
    m_parts.place.apply(fits ? v.geometry : gamedefaults::MainWindowPlace);
    m_parts.game.turnSoundNew = v.turnsound == 1;
    m_parts.menu.markTurnSound(v.turnsound);
    m_parts.sounds.chatterEnabled = v.chattersounds;
    m_parts.menu.PlayChatterSounds1->setChecked(v.chattersounds);
    m_sectionRead = true;
}

void ClientOptions::saveinifile()
{
    save({});
}

ClientSettings::Values ClientOptions::current() const
{
    ClientSettings::Values v;
    v.textsize = m_parts.chat.textSize();
    v.textcolor = m_parts.input.textColor();
    v.botspeed = m_parts.state.botspeed;
    v.playsounds = m_parts.sounds.enabled;
    v.geometry = m_parts.place.outer();
    v.turnsound = m_parts.game.turnSoundNew ? 1 : 0;
    v.chattersounds = m_parts.sounds.chatterEnabled;
    return v;
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
    const bool on = m_parts.menu.PlaySounds1->isChecked();
    m_parts.sounds.enabled = on;
    save([on](ClientSettings::Values &v) { v.playsounds = on; });
}

void ClientOptions::toggleChatterSounds()
{
    const bool on = m_parts.menu.PlayChatterSounds1->isChecked();
    m_parts.sounds.chatterEnabled = on;
    save([on](ClientSettings::Values &v) { v.chattersounds = on; });
}

void ClientOptions::chooseTurnSound(int tag)
{
    m_parts.game.turnSoundNew = tag == 1;
    m_parts.menu.markTurnSound(tag);
    save([tag](ClientSettings::Values &v) { v.turnsound = tag == 1 ? 1 : 0; });
}

void ClientOptions::chooseBotSpeed(int ms)
{
    m_parts.state.botspeed = ms;
    m_parts.menu.markBotspeed(ms);
    save([ms](ClientSettings::Values &v) { v.botspeed = ms; });
    if (m_parts.state.loggedin)
        Q_EMIT requestReady(protocol::BotSpeed{m_parts.state.myid, ms}.build());
}

void ClientOptions::chooseTextColor()
{
    const std::optional<QColor> chosen = m_parts.colors.chooseColor(m_parts.input.textColor(), &m_parts.window);
    if (!chosen)
        return;
    m_parts.input.setTextColor(*chosen);
    save([color = *chosen](ClientSettings::Values &v) { v.textcolor = color; });
}

void ClientOptions::chooseTextSize(int points)
{
    m_parts.chat.setTextSize(points);
    m_parts.menu.markTextSize(points);
    save([points](ClientSettings::Values &v) { v.textsize = points; });
}
