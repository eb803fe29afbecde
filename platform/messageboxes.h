// MessageBoxes: every message box and error report goes through this interface, so tests
// can record what would have been shown without blocking. The boxes on the screen are
// QtMessageBoxes (platformui).
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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
