// dorvane: one program for every role — player, spectator, and host of a game.
#include "auxiliarywindows.h"
#include "chatform.h"
#include "datafolder.h"
#include "gamerandom.h"
#include "pngpicture.h"
#include "serverform.h"
#include "singleinstance.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <memory>
#include <random>

namespace {

// The application icon for the window manager and task bar, 16 to 128 pixels. Every size
// given is decoded and handed to the window system, so the 256 and 512 pixel pictures (for
// the installed icon theme) are left out: they would hold 1.3 MiB for nothing.
QIcon applicationIcon()
{
    QIcon icon;
    for (const char *size : {"16", "32", "48", "64", "128"})
        icon.addPixmap(loadPngPicture(QStringLiteral(":/images/appicon-%1.png").arg(QLatin1String(size))));
    return icon;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SingleInstance instance(QStringLiteral("qelt84"));
    if (!instance.tryAcquire()) {
        instance.askRunningCopyToRaise();
        return 0;
    }
    // The name also names the per-user data folder of an installed copy.
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    QApplication::setDesktopFileName(QStringLiteral("example.vorn22software.Dorvane"));
    // Host dice and the client's shuffle draw from this one generator.
    seedGameRandom(std::random_device{}());

    // Settings and tally beside the program, or in the per-user data folder when the
    // program's folder is read-only (an installed copy).
    TchatOptions options;
    options.settingsPath = dataFilePath(QStringLiteral("vornlobby.ini"));
    AuxiliaryWindowsOptions windowOptions;
    windowOptions.settingsPath = options.settingsPath;
    windowOptions.tallyPath = dataFilePath(QStringLiteral("Dorvanetally.tld"));

    // Created in this order: the main window, the tally list, the phrase editor, the hidden
    // host and the spy list (help, About and download when first opened). Only the main
    // window is shown; a solo start shows the download window right after it.
    Tchat chat(options);
    std::unique_ptr<TServer> server;
    windowOptions.createHost = [&server] { server = std::make_unique<TServer>(); };
    AuxiliaryWindows windows(chat, windowOptions);

    chat.setServer(server.get());
    chat.setParameters(QApplication::arguments().mid(1));
    QObject::connect(&instance, &SingleInstance::raiseRequested, &chat, &Tchat::bringToFront);
    chat.show();
    // Decoding the icon's pictures would hold up the main window's first appearance; the
    // window manager receives them a moment later, for every window.
    QTimer::singleShot(0, &chat, [] { QApplication::setWindowIcon(applicationIcon()); });
    const int result = QApplication::exec();
    chat.setServer(nullptr);
    return result;
}
