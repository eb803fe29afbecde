// Tabout: the game's logo, its maker with a link to the maker's web site, and the version.
#pragma once

#include "urllabel.h"

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QWidget>

class QLabel;
class QPushButton;

// Created hidden at start-up and only shown and hidden afterwards. The `version` label
// shows the version text the client sends at log-in.
class Tabout : public QWidget
{
    Q_OBJECT
public:
    // The maker's web address, opened with "http://" in front.
    static constexpr const char *MakerAddress = "www.vorn22software.example";
    static constexpr int FormWidth = 304;
    static constexpr int FormHeight = 174;

    explicit Tabout(QWidget *parent = nullptr);

    // The main window's tiled background picture (the wood planks by default).
    void setBackground(const QPixmap &tile);
    // Help > "About" and the help window's "About": shows the window on top, centred on
    // the main window's frame (screen coordinates) unless that is empty.
    void showAbout(const QRect &mainFrame = QRect());

    // Opens the maker's web site through the link label; the main window's logo calls it
    // too, so both follow the same link. False when the desktop refused.
    bool openMakerSite();
    // Replaces the desktop opener of the link (tests record instead).
    void setOpener(TURL::Opener opener);

    // "Done" (Enter, Escape): hides the window.
    void closeWindow();

protected:
    // Enter or Return not taken by the focused control is "Done".
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct TextLook
    {
        QColor colour;
        int pixels = 12;
        bool bold = false;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    void createLayout();
    QLabel *addText(const QString &name, const QString &text, const QRect &geometry, const TextLook &look);

    TURL *m_url1 = nullptr;
    QPushButton *m_done = nullptr;
};
