// NetplayDialog: what the host and join windows share — the wood look, the name field, the
// line that says what is wrong, and the confirm and cancel buttons.
#pragma once

#include <QDialog>
#include <QPixmap>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// A dialog drawn like the other auxiliary windows (wood planks, Arial, white text). Enter
// confirms, Escape cancels. Confirming checks the name first; a refused entry shows its
// reason in label_problem and changes nothing else.
//
// The controls sit in layouts: at the toolkit's default font (12 px) the window has its
// designed size and every control its designed place; a larger application font scales the
// text, and the window grows with it, as it does when a text (a translation, a problem, the
// local-network note) needs more room than designed.
class NetplayDialog : public QDialog
{
    Q_OBJECT
public:
    // The application font's size at which the texts have their designed sizes.
    static constexpr int DesignedFontPixels = 12;

    void setBackground(const QPixmap &tile);
    void setPlayerName(const QString &name);
    // The typed name without spaces at its ends.
    QString playerName() const;
    // What the problem line says now (empty when nothing is wrong).
    QString problem() const;
    // Shows the window over the main window with the focus in the name field.
    void showOver(const QRect &mainFrame);

protected:
    // designedSize: the window's size at the default font. A subclass adds its controls from
    // the top with the add functions, then calls finishLayout().
    NetplayDialog(const QString &title, const QString &confirmText, QSize designedSize, QWidget *parent);

    // Arial at pixels (its designed size), scaled with the application font.
    QFont textFont(int pixels, bool bold) const;
    // A length in pixels at the default font, scaled as textFont scales.
    int scaled(int pixels) const;
    // A white label, not placed.
    QLabel *makeText(const QString &text, int pixels, bool bold);
    // Adds a white label across the window, at least height pixels (scaled) high.
    QLabel *addText(const QString &text, int height, int pixels, bool bold);
    void addGap(int pixels);
    // Adds control across the window, at least height pixels (scaled) high.
    void addControl(QWidget *control, int height);
    // Adds a two-column block: labels right-aligned at the left, fields at the right.
    QGridLayout *addFieldGrid();
    // Adds label and field as row of grid: the field height pixels (scaled) high.
    QLabel *addField(QGridLayout &grid, int row, const QString &label, QWidget *field, int height);
    // The name row as row of grid: "Your name:" and the field.
    void addNameRow(QGridLayout &grid, int row);
    // Adds the problem line and the buttons below the controls and fixes the window's size.
    void finishLayout();

    void showProblem(const QString &text);
    // The name's problem (shown), or true when the name is fine.
    bool nameAccepted();
    // Confirm was pressed (or Enter): check the entries and ask for the game.
    virtual void confirm() = 0;

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    QLineEdit *m_name = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;

private:
    // Gives the window the size its contents need, never less than designed.
    void fitToContents();

    QPixmap m_background;
    QSize m_designedSize;
    qreal m_scale = 1.0;
    QVBoxLayout *m_column = nullptr;
    bool m_laidOut = false;
};
