// ClientOptions: the Options menu's settings, the settings file and the window's place.
#pragma once

#include "clientsettings.h"
#include "gameoptions.h"

#include <QObject>
#include <QRect>

#include <functional>
#include <optional>

class ChatInput;
class ChatView;
class ClientGame;
class ColorChooser;
class DesktopWorkArea;
class GameSounds;
class MainMenu;
class QWidget;
class WindowPlace;
struct ClientState;

// Holds the one GameOptions value. A menu choice changes the value, then the value is shown
// again everywhere it takes effect (the menu's marks, the chat view's text size, the input's
// colour and phrases, the sound switches, the turn sound); nothing is read back from those.
// The settings file is read into the value and written from it; this class also keeps the
// main window's position and size.
//
// The settings file is shared, so nothing of ours is written from design values: until the
// section has been read (on the client's own arrival) closing writes nothing, and a menu change
// writes the section as the file holds it with only that change made.
class ClientOptions : public QObject
{
    Q_OBJECT
public:
    static constexpr int Shrink = 15; // pixels taken off a window larger than the work area

    struct Parts
    {
        QWidget &window;
        WindowPlace &place;
        MainMenu &menu;
        ChatView &chat;
        ChatInput &input;
        GameSounds &sounds;
        ClientGame &game;
        ClientState &state;
        ClientSettings &settings;
        DesktopWorkArea &workArea;
        ColorChooser &colors;
    };

    explicit ClientOptions(Parts parts, QObject *parent = nullptr);

    void loadinifile();
    void saveinifile();
    // Closing the main window: stores its place when it moved or changed size.
    void storeWindowPlace();
    void resetWindowPlace();
    void toggleSounds();
    void toggleChatterSounds();
    void chooseTurnSound(int tag);
    void chooseBotSpeed(int ms);
    void chooseTextColor();
    void chooseTextSize(int points);
    // View > "Colour Symbols": stored at once.
    void toggleColourSymbols();
    // The phrase editor's "Done" (the editor stores the phrases itself).
    void setPhrases(const QStringList &phrases);
    // "Open Port on Router", or the Host window's choice: stored at once.
    void setOpenPort(bool on);

    const GameOptions &values() const { return m_values; }
    // The main window's position and size.
    WindowPlace &place() const { return m_parts.place; }

    // The position and size last read from or written to the file by closing.
    QRect lastSaved() const { return m_lastSaved; }

Q_SIGNALS:
    void requestReady(const QByteArray &message);
    // The colour symbols were switched on or off (and once for the value first shown).
    void colourSymbolsChanged(bool on);

private:
    using Change = std::function<void(ClientSettings::Values &)>;
    void connectMenu();
    // Shows the value everywhere it takes effect.
    void render();
    // Writes the section: the settings as they are now, or, before the section was read, as
    // the file holds them; change is made on top.
    void save(const Change &change);
    ClientSettings::Values current() const;

    Parts m_parts;
    GameOptions m_values;
    int m_shownTextSize = 0;            // the size the chat was last given
    std::optional<bool> m_shownSymbols; // what colourSymbolsChanged last said
    QRect m_lastSaved{0, 0, 0, 0};
    bool m_sectionRead = false;
};
