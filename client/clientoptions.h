// ClientOptions: the Options menu's settings, the settings file and the window's place.
#pragma once

#include "clientsettings.h"

#include <QObject>
#include <QRect>

#include <functional>

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

// Each setting lives where it takes effect (the menu's marks, the chat view's text size,
// the input's colour, the sound switches, the bot speed in the client state); this class
// reads them from the settings file, writes them back on every change, and keeps the main
// window's position and size.
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

    // The position and size last read from or written to the file by closing.
    QRect lastSaved() const { return m_lastSaved; }
    // True once the section has been read.
    bool sectionRead() const { return m_sectionRead; }

Q_SIGNALS:
    void requestReady(const QByteArray &message);

private:
    using Change = std::function<void(ClientSettings::Values &)>;
    void connectMenu();
    // Writes the section: the settings as they are now, or, before the section was read, as
    // the file holds them; change is made on top.
    void save(const Change &change);
    ClientSettings::Values current() const;

    Parts m_parts;
    QRect m_lastSaved{0, 0, 0, 0};
    bool m_sectionRead = false;
};
