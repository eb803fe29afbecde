// HostGameDialog: "Dorvane - Host a Game" — the player's name, then this copy hosts.
#pragma once

#include "netplaydialog.h"

class HostGameDialog : public NetplayDialog
{
    Q_OBJECT
public:
    explicit HostGameDialog(QWidget *parent = nullptr);

Q_SIGNALS:
    // Emitted when the player confirmed an accepted name; the window closes itself.
    void hostRequested(const QString &name);

protected:
    void confirm() override;
};
