// HostGameDialog: "Dorvane - Host a Game" — the player's name and whether the router is
// asked to forward the game's port, then this copy hosts.
#pragma once

#include "netplaydialog.h"

class QCheckBox;

class HostGameDialog : public NetplayDialog
{
    Q_OBJECT
public:
    explicit HostGameDialog(QWidget *parent = nullptr);

    // The check box "Open the game's port on the router".
    void setOpenPort(bool on);
    bool openPort() const;

Q_SIGNALS:
    // Emitted when the player confirmed an accepted name; the window closes itself.
    // openPort is the check box's state at that moment.
    void hostRequested(const QString &name, bool openPort);

protected:
    void confirm() override;

private:
    QCheckBox *m_openPort = nullptr;
};
