#include "boardkeys.h"

#include "board.h"
#include "focusmark.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <algorithm>

namespace {

constexpr qsizetype NumDiceInChain = 10; // the chain starts with the dice

bool isActivation(const QKeyEvent &key)
{
    const int k = key.key();
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    return mods == Qt::NoModifier && (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space);
}

QKeySequence dieKey(int position)
{
    return QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + position % 10));
}

} // namespace

BoardKeys::BoardKeys(QWidget &window, Board &board)
    : QObject(&board)
    , m_window(window)
    , m_board(board)
{
    addKey(QKeySequence(Qt::CTRL | Qt::Key_N), [this] { press(m_board.button_start); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { press(m_board.button_roll); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_D), [this] { press(m_board.button_alldone); });
    for (int position = 1; position <= 10; ++position)
        addKey(dieKey(position), [this, position] { releaseOnDie(position, Qt::LeftButton); });
    addKey(QKeySequence(Qt::ALT | Qt::Key_S), [this] { releaseOnDie(1, Qt::RightButton); });

    // The chat line would take Ctrl+D (delete) and the Alt keys (typed letters) for itself.
    m_board.mychat->installEventFilter(this);
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(m_board.button_start),
                                    static_cast<QAbstractButton *>(m_board.button_roll),
                                    static_cast<QAbstractButton *>(m_board.button_alldone)}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(this);
    }
    for (int n = 1; n <= 10; ++n) {
        m_board.b_phrase[n]->setFocusPolicy(Qt::TabFocus);
        m_board.b_phrase[n]->installEventFilter(this);
        m_board.die(n)->installEventFilter(this);
    }
    m_board.button_smilies->setFocusPolicy(Qt::TabFocus);
    m_board.button_smilies->installEventFilter(this);
    // The chat text is read, not typed in: a click still selects it for copying.
    m_board.mainchat->setFocusPolicy(Qt::ClickFocus);
    // The chat line shows its own cursor; the dice and buttons get the mark.
    QList<QWidget *> marked = tabChain();
    marked.removeOne(m_board.mychat);
    new FocusMark(m_board, marked);
    // The window opens with the focus in the chat line, ready for typing.
    m_board.mychat->setFocus();
    render(false);
}

QList<QKeySequence> BoardKeys::keys()
{
    QList<QKeySequence> all = {QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_R),
                               QKeySequence(Qt::CTRL | Qt::Key_D), QKeySequence(Qt::ALT | Qt::Key_S)};
    for (int position = 1; position <= 10; ++position)
        all.append(dieKey(position));
    return all;
}

void BoardKeys::addKey(const QKeySequence &key, std::function<void()> act)
{
    auto *shortcut = new QShortcut(key, &m_window);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false); // a held key must not roll twice
    connect(shortcut, &QShortcut::activated, this, std::move(act));
}

void BoardKeys::press(QAbstractButton *button)
{
    if (button->isVisibleTo(&m_window) && button->isEnabled())
        button->click();
}

QList<PictureBox *> BoardKeys::diceOnScreen() const
{
    QList<PictureBox *> dice;
    for (int n = 1; n <= 10; ++n)
        dice.append(m_board.die(n));
    std::stable_sort(dice.begin(), dice.end(),
                     [](const PictureBox *a, const PictureBox *b) { return a->x() < b->x(); });
    return dice;
}

void BoardKeys::releaseOnDie(int position, Qt::MouseButton button)
{
    PictureBox *die = diceOnScreen().value(position - 1);
    if (die && die->isVisibleTo(&m_window))
        Q_EMIT die->mouseReleased(button);
}

QList<QWidget *> BoardKeys::tabChain() const
{
    QList<QWidget *> chain;
    for (PictureBox *die : diceOnScreen())
        chain.append(die);
    chain << m_board.button_start << m_board.button_roll << m_board.button_alldone;
    for (int n = 1; n <= 10; ++n)
        chain.append(m_board.b_phrase[n]);
    chain << m_board.button_smilies << m_board.mychat;
    return chain;
}

void BoardKeys::render(bool diceClickable)
{
    for (int n = 1; n <= 10; ++n)
        m_board.die(n)->setFocusPolicy(diceClickable ? Qt::TabFocus : Qt::NoFocus);
    const QList<QWidget *> chain = tabChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
    // New dice to keep: the focus goes to the leftmost one, unless it is in the chat line
    // (typing goes on) or already on a die.
    if (diceClickable && !m_diceClickable) {
        QWidget *focused = m_window.focusWidget();
        const qsizetype at = chain.indexOf(focused);
        const bool onDie = at >= 0 && at < NumDiceInChain;
        if (focused != m_board.mychat && !onDie)
            chain.first()->setFocus(Qt::OtherFocusReason);
    }
    m_diceClickable = diceClickable;
}

bool BoardKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched == m_board.mychat) {
        // Left unaccepted, the window's keys go before the chat line's editing.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        if (keys().contains(pressed)) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_board.mychat) {
        // Alt with a letter opens a menu or does nothing; it never types the letter.
        const bool altOnly =
            (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) == Qt::AltModifier;
        return altOnly && !key->text().isEmpty() && key->text().at(0).isPrint();
    }
    if (!isActivation(*key))
        return false;
    if (auto *die = qobject_cast<PictureBox *>(watched)) {
        if (!key->isAutoRepeat())
            Q_EMIT die->mouseReleased(Qt::LeftButton);
        return true;
    }
    if (key->key() == Qt::Key_Space)
        return false; // the button's own press-and-release
    auto *button = qobject_cast<QAbstractButton *>(watched);
    if (button && !key->isAutoRepeat())
        press(button);
    return button != nullptr;
}
