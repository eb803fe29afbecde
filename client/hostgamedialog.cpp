#include "hostgamedialog.h"

#include <QLabel>

HostGameDialog::HostGameDialog(QWidget *parent)
    : NetplayDialog(QStringLiteral("Dorvane - Host a Game"), QStringLiteral("Host Game"), QSize(380, 232), parent)
{
    setObjectName(QStringLiteral("HostGameDialog"));
    QLabel *heading = addText(QStringLiteral("Host a game for your friends"), QRect(12, 10, 356, 22), 16, true);
    heading->setAlignment(Qt::AlignCenter);
    QLabel *about =
        addText(QStringLiteral("The game you are in now ends, and this copy hosts a new one. Once it runs, "
                               "the chat shows the address your friends type in \"Join a Game...\"."),
                QRect(12, 36, 356, 48), 12, false);
    about->setWordWrap(true);
    addNameRow(94);
}

void HostGameDialog::confirm()
{
    if (!nameAccepted())
        return;
    accept();
    Q_EMIT hostRequested(playerName());
}
