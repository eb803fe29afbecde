// MessageBoxes: every message box and error report goes through this interface, so tests
// can record what would have been shown without blocking.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // An information box with an OK button ("Game is full", "You are not connected").
    virtual void showMessage(const QString &text) = 0;
    // The same; closed runs once the user has closed the box (or at once where nothing shows).
    virtual void showMessage(const QString &text, std::function<void()> closed)
    {
        showMessage(text);
        if (closed)
            closed();
    }
    // The application's top-level error report for an exception that ended a handler.
    virtual void showError(const QString &text) = 0;
    // A question with the buttons Yes and No that the user must answer; true for Yes.
    virtual bool confirm(const QString &text) = 0;
};

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

// Records every call; shows nothing (tests). A message's closed action runs at once, as if
// the user had closed the box.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::showMessage;
    void showMessage(const QString &text) override { messages.append(text); }
    void showError(const QString &text) override { errors.append(text); }
    // Records the question and gives confirmAnswer.
    bool confirm(const QString &text) override
    {
        questions.append(text);
        return confirmAnswer;
    }

    QStringList messages;
    QStringList errors;
    QStringList questions;
    bool confirmAnswer = true;
};
