// NetplayDialog: what the host and join windows share — the wood look, the name field, the
// line that says what is wrong, and the confirm and cancel buttons.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QLineEdit;
class QPushButton;

// A fixed-size dialog drawn like the other auxiliary windows (wood planks, Arial, white
// text). Enter confirms, Escape cancels. Confirming checks the name first; a refused entry
// shows its reason in label_problem and changes nothing else.
class NetplayDialog : public QDialog
{
    Q_OBJECT
public:
    void setBackground(const QPixmap &tile);
    void setPlayerName(const QString &name);
    // The typed name without spaces at its ends.
    QString playerName() const;
    // What the problem line says now (empty when nothing is wrong).
    QString problem() const;
    // Shows the window over the main window with the focus in the name field.
    void showOver(const QRect &mainFrame);

protected:
    NetplayDialog(const QString &title, const QString &confirmText, QSize size, QWidget *parent);

    QLabel *addText(const QString &text, const QRect &place, int pixels, bool bold);
    // The name row at height top: "Your name:" and the field.
    void addNameRow(int top);
    void showProblem(const QString &text);
    // The name's problem (shown), or true when the name is fine.
    bool nameAccepted();
    // Confirm was pressed (or Enter): check the entries and ask for the game.
    virtual void confirm() = 0;

    void paintEvent(QPaintEvent *event) override;

    QLineEdit *m_name = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;

private:
    QPixmap m_background;
};
