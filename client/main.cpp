// dorvane: one program for every role — player, spectator, and host of a game.
#include "auxiliarywindows.h"
#include "chatform.h"
#include "datafolder.h"
#include "gamedefaults.h"
#include "gamerandom.h"
#include "pngpicture.h"
#include "sessionswitcher.h"
#include "singleinstance.h"
#include "tallystore.h"
#include "windowstyle.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
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
    // The three game parameters are taken as they are, before the toolkit sees the command
    // line: it would remove words it knows as its own options ("-reverse", "-style", ...),
    // and a player may well have such a name. The toolkit is given the program name only.
    QStringList parameters;
    for (int i = 1; i < argc; ++i)
        parameters << QString::fromLocal8Bit(argv[i]);
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    // One typeface for the whole game: the board's Arial also in menus and windows that take
    // the default, so a second face is never loaded (its file and tables cost about half a
    // megabyte).
    QFont font = windowstyle::arial();
    font.setPointSizeF(QApplication::font().pointSizeF());
    QApplication::setFont(font);
    SingleInstance instance(QStringLiteral("qelt84"));
    if (!instance.tryAcquire()) {
        if (instance.askRunningCopyToRaise())
            return 0;
        // The copy holding the lock did not answer (busy, or stopped in a debugger): say so
        // rather than end without a word.
        const QString text = QStringLiteral("Dorvane is already running for this user, but it did not come to the "
                                            "front. Close it (or end it) and start Dorvane again.");
        std::fprintf(stderr, "%s\n", qPrintable(text));
        QMessageBox::warning(nullptr, QStringLiteral("Dorvane"), text);
        return 1;
    }
    // The name also names the per-user data folder of an installed copy.
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    QApplication::setDesktopFileName(QStringLiteral("example.vorn22software.Dorvane"));
    // Host dice and the client's shuffle draw from this one generator.
    seedGameRandom(std::random_device{}());

    // Settings and tally beside the program, or in the per-user data folder when the
    // program's folder is read-only (an installed copy).
    TchatOptions options;
    options.settingsPath = dataFilePath(QLatin1String(gamedefaults::SettingsFileName));
    AuxiliaryWindowsOptions windowOptions;
    windowOptions.settingsPath = options.settingsPath;
    windowOptions.tallyPath = dataFilePath(TallyStore::FileName);

    // Created in this order: the main window, the tally (its file loaded) and the hidden host.
    // Every other window is built when first opened; the spectators and the tally are kept
    // without their windows. Only the main window is shown; a solo start shows the download
    // window right after it.
    Tchat chat(options);
    // The window's session switcher owns the host: hosting or joining from the menu replaces it.
    windowOptions.createHost = [&chat] { chat.sessions().createHost(); };
    AuxiliaryWindows windows(chat, windowOptions);

    chat.setParameters(parameters);
    // Closing the main window ends the program, whatever other window is still open.
    QObject::connect(&chat, &Tchat::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &chat, &Tchat::bringToFront);
    chat.show();
    // Decoding the icon's pictures would hold up the main window's first appearance; the
    // window manager receives them a moment later, for every window.
    QTimer::singleShot(0, &chat, [] { QApplication::setWindowIcon(applicationIcon()); });
    return QApplication::exec();
}
