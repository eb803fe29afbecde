// Thelp: the game's instructions as six pages chosen from a column of buttons.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

// Created hidden at start-up and only shown and hidden afterwards. The pages (`memo1` to
// `memo6`, one per page button's tag) are read from the help resources the first time the
// window opens; the window opens again on the page last chosen.
class Thelp : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PageCount = 6;
    static constexpr int FormWidth = 521;
    static constexpr int FormHeight = 422;
    static constexpr int SideWidth = 137;

    explicit Thelp(QWidget *parent = nullptr);

    // The main window's tiled background picture (the wood planks by default).
    void setBackground(const QPixmap &tile);
    // What "About" does: the main window hands over the About window's showing.
    void setShowAbout(std::function<void()> showAbout) { m_showAbout = std::move(showAbout); }

    // Help > "Content" (F1): shows the window on top, centred on the main window's frame
    // (screen coordinates) unless that is empty, on the page last chosen.
    void showHelp(const QRect &mainFrame = QRect());

    // Tag (1 to 6) of the page in front.
    int currentPage() const;

    // A page button: brings page "memo" + the button's tag to the front and shows the
    // button's caption in the heading.
    void showPage(QPushButton *button);
    void showAbout();
    void closeWindow();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createLayout();
    QWidget *createSidePanel();
    QWidget *createMainPanel();
    void loadPages();

    std::array<QPushButton *, PageCount> m_pageButtons{};
    std::array<QTextBrowser *, PageCount> m_pages{};
    QStackedWidget *m_stack = nullptr;
    QLabel *m_caption = nullptr;
    std::function<void()> m_showAbout;
    bool m_loaded = false;
};
