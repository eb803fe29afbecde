// MessageBoxes: every message box and error report goes through this interface, so tests
// can record what would have been shown without blocking.
#pragma once

#include <QString>
#include <QStringList>

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // An information box with an OK button ("Game is full", "You are not connected").
    virtual void showMessage(const QString &text) = 0;
    // The application's top-level error report for an exception that ended a handler.
    virtual void showError(const QString &text) = 0;
    // A question with the buttons Yes and No that the user must answer; true for Yes.
    virtual bool confirm(const QString &text) = 0;
};

// Qt message boxes. Messages and errors are non-modal: shown and left to the user, no nested
// event loop runs. A confirmation waits for its answer.
class QtMessageBoxes : public MessageBoxes
{
public:
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    // Modal: the answer is needed before the caller goes on.
    bool confirm(const QString &text) override;
};

// Records every call; shows nothing (tests).
class RecordingMessageBoxes : public MessageBoxes
{
public:
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
