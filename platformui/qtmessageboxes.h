// QtMessageBoxes: the message boxes and error reports on the screen.
#pragma once

#include "messageboxes.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// Qt message boxes. Messages and errors are non-modal: shown and left to the user, no nested
// event loop runs. A confirmation waits for its answer. Every text is shown as plain text, since
// it may come from a host or a peer.
//
// Given a main window, the boxes belong to it: they stay above it, never keep the program
// alive once it has closed, and none shows before windowShown() (reports raised while the
// program starts wait for the main window and the windows it opens). At most one error report
// is open at a time; later ones are counted in it.
class QtMessageBoxes : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget *mainWindow = nullptr);
    ~QtMessageBoxes() override;

    using MessageBoxes::showMessage;
    void showMessage(const QString &text) override;
    void showMessage(const QString &text, std::function<void()> closed) override;
    void showError(const QString &text) override;
    // Modal: the answer is needed before the caller goes on.
    bool confirm(const QString &text) override;

    // The main window is on the screen: boxes held until now follow from the event loop.
    void windowShown();

    // The open error report, if any (tests).
    QMessageBox *openReport() const;
    // Reports counted in the open one since it opened.
    int moreReports() const { return m_moreReports; }

private:
    enum class Kind { Message, Error };
    struct Held
    {
        Kind kind;
        QString text;
        std::function<void()> closed;
    };
    void show(Kind kind, const QString &text, std::function<void()> closed);
    void showNow(const Held &held);
    void showHeld();

    QPointer<QWidget> m_window;
    bool m_hasWindow = false;
    bool m_windowShown = false;
    QList<Held> m_held;
    QPointer<QMessageBox> m_report;
    QString m_reportText;
    int m_moreReports = 0;
    // Lets a queued call find out that this object is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
