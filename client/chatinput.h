// ChatInput: the input box mychat, the phrase buttons, the smiley menu and the chatter sounds.
#pragma once

#include "chattersound.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Board;
struct ClientModel;
class QAction;
class QMenu;
struct ClientState;

// Turns what the user types or clicks below the chat into chat, action and chatter sound
// requests, and turns a received chatter sound into a sound or a chat line.
class ChatInput : public QObject
{
    Q_OBJECT
public:
    static constexpr int PhraseCount = 9;
    static constexpr int SoundCount = 20;
    static constexpr int PhraseGateMs = 2000; // one phrase per two seconds
    static const QString Placeholder;
    // Shown once each time the chat box reaches its limit (typing on, a paste or a smiley cut).
    static QString limitNote();
    static QString pasteCutNote();

    ChatInput(Board &board, const ClientModel &model, ClientState &state, QObject *parent = nullptr);

    static QStringList defaultPhrases();
    // Caption of the chatter-sound item named name ("wave13" -> "Applause"), case ignored;
    // empty when no item has that name.
    static QString soundCaption(const QString &name);

    // Colour of the user's chat text (sent with every line) and of the input box's text.
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_textColor; }
    // The phrases of b_phrase1 ... b_phrase9, shown as the buttons' tooltips.
    const QStringList &phrases() const { return m_phrases; }
    void setPhrases(const QStringList &phrases);
    // Milliseconds of a monotonic clock; the phrase gate reads it (tests replace it).
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }

    void sendit();
    void sayPhrase(int n);
    void insertSmiley(int code);
    void sendChatterSound(int tag);
    void pasteClipboard();
    // A received chatter sound: played when chatter sounds are on, otherwise shown as a
    // "<Chatter Sound>" status line.
    void playasound(const ChatterSound &sound, bool chatterSoundsOn);

    // The smiley and chatter-sound menus, made the first time they are opened or asked for.
    QMenu *popup_smilies();
    QMenu *popup_sounds();
    QMenu *popup_mychat() const { return m_mychatMenu; }

Q_SIGNALS:
    void requestReady(const QByteArray &message);
    void statusLine(const QString &text);
    void chatterSound(const ChatterSound &sound);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createSmileyMenu();
    void createSoundMenu();
    void createInputMenu();
    // The text, "|" and the user's colour: what a chat or action line carries.
    QByteArray payload(const QString &text) const;
    void sendChat(const QString &text);
    void sendAction(const QString &text);
    bool phraseGateOpen() const;
    // Tells the user once why the box takes no more text, until it is shorter again.
    void noteLimit(const QString &note);

    Board &m_board;
    const ClientModel &m_model; // seat names for chatter-sound lines
    ClientState &m_state;
    QColor m_textColor = Qt::black;
    QStringList m_phrases;
    QMenu *m_smilies = nullptr;
    QMenu *m_sounds = nullptr;
    QMenu *m_mychatMenu = nullptr;
    std::function<qint64()> m_now;
    qint64 m_phraseBlockedUntil = -1; // clock value from which phrases go again; -1 open
    bool m_limitNoted = false;        // the note was shown since the box last had room
};
