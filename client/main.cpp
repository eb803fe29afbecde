// dorvane: one program for every role — player, spectator, and host of a game.
#include "aboutform.h"
#include "chatform.h"
#include "downloadform.h"
#include "gamerandom.h"
#include "helpform.h"
#include "phrasesform.h"
#include "playeractions.h"
#include "serverform.h"
#include "singleinstance.h"
#include "spylistform.h"
#include "tallylistform.h"

#include <QApplication>
#include <random>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SingleInstance instance(QStringLiteral("qelt84"));
    if (!instance.tryAcquire()) {
        instance.askRunningCopyToRaise();
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    // Host dice and the client's shuffle draw from this one generator.
    seedGameRandom(std::random_device{}());

    // Created in this order; only the main window is shown at start.
    Tchat chat;
    Ttallylist tallylist;
    Tabout about;
    Tdownload download;
    Thelp help;
    Tphrases phrases;
    TServer server;
    Tspylist spylist;

    chat.setServer(&server);
    chat.setParameters(QApplication::arguments().mid(1));
    chat.setShowDownload([&download] { download.show(); });
    QObject::connect(&instance, &SingleInstance::raiseRequested, &chat, &Tchat::bringToFront);
    spylist.setKicking([&chat](int number) { chat.actions().kicking(number); });
    QObject::connect(&chat, &Tchat::hostingStarted, &spylist, [&spylist] { spylist.setHosting(true); });
    QObject::connect(&chat, &Tchat::spyArrived, &spylist, &Tspylist::addSpy);
    QObject::connect(&chat, &Tchat::spyLeft, &spylist, [&spylist](int number, const QString &name) {
        spylist.removeSpy(number, name);
    });
    // Closing the main window ends the program; a message box still open keeps it until
    // it is dismissed.
    QObject::connect(&chat, &Tchat::closed, &app, [&] {
        for (QWidget *window : {static_cast<QWidget *>(&tallylist), static_cast<QWidget *>(&about),
                                static_cast<QWidget *>(&download), static_cast<QWidget *>(&help),
                                static_cast<QWidget *>(&phrases), static_cast<QWidget *>(&spylist)})
            window->close();
    });
    chat.show();
    return QApplication::exec();
}
