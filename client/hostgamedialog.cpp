#include "hostgamedialog.h"

#include "windowstyle.h"

#include <QCheckBox>
#include <QLabel>

namespace {

constexpr int Width = 380;
constexpr int Height = 318;

} // namespace

HostGameDialog::HostGameDialog(QWidget *parent)
    : NetplayDialog(QStringLiteral("Dorvane - Host a Game"), QStringLiteral("Host Game"), QSize(Width, Height),
                    parent)
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

    m_openPort = new QCheckBox(QStringLiteral("Open the game's port on the router"), this);
    m_openPort->setObjectName(QStringLiteral("check_openport"));
    m_openPort->setGeometry(12, 126, 356, 22);
    m_openPort->setFont(windowstyle::arial(12, true));
    windowstyle::setTextColour(*m_openPort, Qt::white);
    QLabel *router =
        addText(QStringLiteral("Ticked, this copy asks your router (UPnP) to forward TCP port 7772 to "
                               "this computer while you host, so that friends on the internet can "
                               "join; the forwarding is removed when you leave. Players on your own "
                               "network need no forwarding."),
                QRect(32, 148, 336, 62), 11, false);
    router->setWordWrap(true);
}

void HostGameDialog::setOpenPort(bool on)
{
    m_openPort->setChecked(on);
}

bool HostGameDialog::openPort() const
{
    return m_openPort->isChecked();
}

void HostGameDialog::confirm()
{
    if (!nameAccepted())
        return;
    accept();
    Q_EMIT hostRequested(playerName(), openPort());
}
