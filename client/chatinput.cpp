#include "chatinput.h"

#include "board.h"
#include "boardpictures.h"
#include "clientstate.h"
#include "chatpayload.h"
#include "gamedefaults.h"
#include "announcements.h"
#include "protocollimits.h"
#include "requests.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

const char *const SoundCaptions[ChatInput::SoundCount + 1] = {
    "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
    "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
    "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
    "Woman Laughing", "Man Laughing", "Crying"};

QPoint belowRight(const QWidget *button)
{
    return button->mapToGlobal(QPoint(button->width(), button->height()));
}

} // namespace

const QString ChatInput::Placeholder = QStringLiteral("<Enter Chat Here>");

QString ChatInput::limitNote()
{
    return QStringLiteral("A chat line holds at most %1 characters.").arg(limits::MaxChatChars);
}

QString ChatInput::pasteCutNote()
{
    return QStringLiteral("A chat line holds at most %1 characters, so the text was cut there.")
        .arg(limits::MaxChatChars);
}

ChatInput::ChatInput(Board &board, const ClientModel &model, ClientState &state, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_model(model)
    , m_state(state)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_now = [clock] { return clock->elapsed(); };
    createInputMenu();
    // Longer lines would make the host's relay too long for its clients.
    m_board.mychat->setMaxLength(limits::MaxChatChars);
    connect(m_board.mychat, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.size() < limits::MaxChatChars)
            m_limitNoted = false;
    });
    m_board.mychat->installEventFilter(this);
    for (int n = 1; n <= PhraseCount; ++n)
        connect(m_board.b_phrase[n], &QToolButton::clicked, this, [this, n] { sayPhrase(n); });
    connect(m_board.b_phrase[10], &QToolButton::clicked, this,
            [this] { popup_sounds()->popup(belowRight(m_board.b_phrase[10])); });
    connect(m_board.button_smilies, &QToolButton::clicked, this,
            [this] { popup_smilies()->popup(belowRight(m_board.button_smilies)); });
    setPhrases(defaultPhrases());
    setTextColor(Qt::black);
}

QStringList ChatInput::defaultPhrases()
{
    return gamedefaults::phrases();
}

QString ChatInput::soundCaption(const QString &name)
{
    for (int n = 1; n <= SoundCount; ++n) {
        if (name.compare(QStringLiteral("wave%1").arg(n), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(SoundCaptions[n]);
    }
    return QString();
}

QMenu *ChatInput::popup_smilies()
{
    if (!m_smilies)
        createSmileyMenu();
    return m_smilies;
}

QMenu *ChatInput::popup_sounds()
{
    if (!m_sounds)
        createSoundMenu();
    return m_sounds;
}

// The smiley menu decodes eighteen pictures: made when first opened, not at start-up.
void ChatInput::createSmileyMenu()
{
    m_smilies = new QMenu(m_board.button_smilies);
    m_smilies->setObjectName(QStringLiteral("popup_smilies"));
    for (int code = 10; code <= 27; ++code) {
        const QString picture = QStringLiteral("smiley%1").arg(code - 9, 2, 10, QLatin1Char('0'));
        QAction *item =
            m_smilies->addAction(QIcon(boardpictures::load(picture)), QStringLiteral(":)#%1").arg(code));
        item->setObjectName(QStringLiteral("smiley%1").arg(code));
        item->setData(code);
        connect(item, &QAction::triggered, this, [this, code] { insertSmiley(code); });
    }
}

void ChatInput::createSoundMenu()
{
    m_sounds = new QMenu(m_board.b_phrase[10]);
    m_sounds->setObjectName(QStringLiteral("popup_sounds"));
    for (int tag = 0; tag <= SoundCount; ++tag) {
        QAction *item = m_sounds->addAction(QString::fromLatin1(SoundCaptions[tag]));
        item->setObjectName(tag == 0 ? QStringLiteral("Cancel1") : QStringLiteral("wave%1").arg(tag));
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, tag] { sendChatterSound(tag); });
    }
}

void ChatInput::createInputMenu()
{
    m_mychatMenu = new QMenu(m_board.mychat);
    m_mychatMenu->setObjectName(QStringLiteral("popup_mychat"));
    QAction *paste = m_mychatMenu->addAction(QStringLiteral("Paste"), this, &ChatInput::pasteClipboard);
    paste->setObjectName(QStringLiteral("Paste1"));
    paste->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    m_board.mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_board.mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_mychatMenu->popup(m_board.mychat->mapToGlobal(pos)); });
}

void ChatInput::setTextColor(const QColor &color)
{
    m_textColor = color;
    QPalette typed = m_board.mychat->palette();
    typed.setColor(QPalette::Text, color);
    m_board.mychat->setPalette(typed);
}

void ChatInput::setPhrases(const QStringList &phrases)
{
    for (int n = 1; n <= PhraseCount && n <= phrases.size(); ++n) {
        if (m_phrases.size() < n)
            m_phrases.append(QString());
        m_phrases[n - 1] = phrases.at(n - 1);
        m_board.b_phrase[n]->setToolTip(phrases.at(n - 1));
    }
}

bool ChatInput::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: the board's destruction still sends events to the chat box, and the
    // board must not be touched then.
    if (event->type() != QEvent::KeyPress || watched != m_board.mychat)
        return QObject::eventFilter(watched, event);
    QLineEdit *box = m_board.mychat;
    if (box->text() == Placeholder)
        box->clear(); // mychatKeyDown
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        sendit();
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        pasteClipboard();
        return true;
    }
    const bool typing = !key->text().isEmpty() && key->text().at(0).isPrint();
    if (typing && box->text().size() >= box->maxLength() && !box->hasSelectedText())
        noteLimit(limitNote()); // the box refuses the character
    return false;
}

void ChatInput::noteLimit(const QString &note)
{
    if (m_limitNoted)
        return;
    m_limitNoted = true;
    Q_EMIT statusLine(note);
}

QByteArray ChatInput::payload(const QString &text) const
{
    return ChatPayload{text, m_textColor}.build();
}

void ChatInput::sendChat(const QString &text)
{
    Q_EMIT requestReady(protocol::ChatRequest{m_state.myid, payload(text)}.build());
}

void ChatInput::sendAction(const QString &text)
{
    Q_EMIT requestReady(protocol::ActionRequest{m_state.myid, payload(text)}.build());
}

void ChatInput::sendit()
{
    if (!m_state.loggedin)
        return;
    QLineEdit *box = m_board.mychat;
    const QString text = box->text();
    if (!text.isEmpty()) {
        if (!text.startsWith(QLatin1Char('/')))
            sendChat(text);
        else if (text.left(3) == QLatin1String("/me"))
            sendAction(text.mid(4));
        // any other "/" text is a command this game does not know: dropped
    }
    box->clear();
}

bool ChatInput::phraseGateOpen() const
{
    return m_phraseBlockedUntil < 0 || m_now() >= m_phraseBlockedUntil;
}

void ChatInput::sayPhrase(int n)
{
    if (n < 1 || n > PhraseCount || !phraseGateOpen())
        return;
    // Before the log-in is answered there is no seat to speak for; the phrase is dropped.
    if (!m_state.loggedin)
        return;
    const QString phrase = m_phrases.value(n - 1);
    if (phrase.startsWith(QLatin1String("/me ")))
        sendAction(phrase.mid(4));
    else
        sendAction(QStringLiteral("says: ") + phrase);
    m_phraseBlockedUntil = m_now() + PhraseGateMs;
}

void ChatInput::insertSmiley(int code)
{
    QLineEdit *box = m_board.mychat;
    if (box->text() == Placeholder)
        box->clear();
    const QString smiley = QStringLiteral(":)#") + QString::number(code);
    if (box->text().size() + smiley.size() > box->maxLength())
        noteLimit(limitNote()); // half a code would show as text
    else
        box->setText(box->text() + smiley);
    box->deselect();
    box->setCursorPosition(int(box->text().size()));
}

void ChatInput::sendChatterSound(int tag)
{
    if (tag < 1 || tag > SoundCount || !m_state.loggedin || !ClientState::isSeat(m_state.myid))
        return;
    Q_EMIT requestReady(protocol::PlaySoundRequest::wave(m_state.myid, tag).build());
}

void ChatInput::pasteClipboard()
{
    QString clip = QApplication::clipboard()->text();
    QLineEdit *box = m_board.mychat;
    const qsizetype room = box->maxLength() - box->text().size();
    if (clip.size() > room) {
        clip.truncate(qMax<qsizetype>(room, 0));
        if (!clip.isEmpty() && clip.back().isHighSurrogate())
            clip.chop(1);
        noteLimit(pasteCutNote());
    }
    if (!clip.isEmpty())
        box->setText(box->text() + clip);
    box->deselect();
    box->setCursorPosition(int(box->text().size()));
}

void ChatInput::playasound(const ChatterSound &sound, bool chatterSoundsOn)
{
    if (chatterSoundsOn) {
        Q_EMIT chatterSound(sound);
        return;
    }
    const QString caption = soundCaption(sound.name);
    if (caption.isEmpty())
        return;
    const QString who = ClientState::isSeat(sound.seat) ? m_model.seatName(sound.seat) : QString();
    Q_EMIT statusLine(who + QStringLiteral(": <Chatter Sound> ") + caption);
}
