#include "hostgamedialog.h"

#include "windowstyle.h"

#include <QCheckBox>
#include <QLabel>

namespace {

constexpr int Width = 380;
constexpr int Height = 318;
constexpr int RouterIndent = 20;

} // namespace

HostGameDialog::HostGameDialog(QWidget *parent)
    : NetplayDialog(QStringLiteral("Dorvane - Host a Game"), QStringLiteral("Host Game"), QSize(Width, Height),
                    parent)
{
    setObjectName(QStringLiteral("HostGameDialog"));
    QLabel *heading = addText(QStringLiteral("Host a game for your friends"), 22, 16, true);
    heading->setAlignment(Qt::AlignCenter);
    addGap(4);
    QLabel *about =
        addText(QStringLiteral("The game you are in now ends, and this copy hosts a new one. Once it runs, "
                               "the chat shows the address your friends type in \"Join a Game...\"."),
                48, 12, false);
    about->setWordWrap(true);
    addGap(10);
    addNameRow(*addFieldGrid(), 0);
    addGap(11);

    m_openPort = new QCheckBox(QStringLiteral("Open the game's port on the router"), this);
    m_openPort->setObjectName(QStringLiteral("check_openport"));
    m_openPort->setFont(textFont(12, true));
    windowstyle::setTextColour(*m_openPort, Qt::white);
    addControl(m_openPort, 22);
    QLabel *router =
        addText(QStringLiteral("Ticked, this copy asks your router (UPnP) to forward TCP port 7772 to "
                               "this computer while you host, so that friends on the internet can "
                               "join; the forwarding is removed when you leave. Players on your own "
                               "network need no forwarding."),
                62, 11, false);
    router->setWordWrap(true);
    router->setContentsMargins(RouterIndent, 0, 0, 0); // under the check box's text
    finishLayout();
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
