#include "phrasesform.h"

#include "framedlineedit.h"
#include "gamedefaults.h"
#include "inifile.h"
#include "messageboxes.h"
#include "programfolder.h"
#include "windowstyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

const QString Section = QStringLiteral("Dorvane");

constexpr int RowTop = 8;
constexpr int RowPitch = 21;
constexpr int FieldLeft = 112;

void paintWhite(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
}

QString phraseKey(int n)
{
    return QStringLiteral("Phrase") + QString::number(n);
}

// A line break would end the settings line early and turn the rest into a line of its own.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

Tphrases::Tphrases(QWidget *parent)
    : QWidget(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_settingsPath(programFolder() + QLatin1String(gamedefaults::SettingsFileName))
{
    setObjectName(QStringLiteral("Tphrases"));
    setWindowTitle(QStringLiteral("Dorvane - Phrase Buttons "));
    setFixedSize(FormWidth, FormHeight);
    createControls();
}

void Tphrases::createControls()
{
    for (int n = 1; n <= PhraseCount; ++n)
        createPhraseRow(n);

    const int below = RowTop + PhraseCount * RowPitch;
    m_gateLabel = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    m_gateLabel->setObjectName(QStringLiteral("label_gate"));
    m_gateLabel->setGeometry(8, below + 2, FormWidth - 16, 18);
    m_gateLabel->setAlignment(Qt::AlignCenter);
    m_gateLabel->setFont(windowstyle::arial(12, true));
    paintWhite(m_gateLabel);

    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("button_done"));
    m_done->setGeometry((FormWidth - 75) / 2, FormHeight - 33, 75, 25);
    m_done->setFont(windowstyle::arial(12, false));
    connect(m_done, &QPushButton::clicked, this, &Tphrases::applyAndClose);
    // Escape keeps nothing, as closing by the title bar does.
    windowstyle::closeOnEscape(*this, [this] { hide(); });
}

void Tphrases::createPhraseRow(int n)
{
    const int top = RowTop + (n - 1) * RowPitch;
    auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
    label->setObjectName(QStringLiteral("label_phrase%1").arg(n));
    label->setGeometry(8, top, FieldLeft - 12, 19);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(windowstyle::arial(12, true));
    paintWhite(label);

    auto *field = new FramedLineEdit(QString(), this);
    field->setObjectName(QStringLiteral("phrase%1").arg(n));
    field->setGeometry(FieldLeft, top, FormWidth - FieldLeft - 10, 19);
    field->setFont(windowstyle::arial(12, false));
    field->setMaxLength(MaxPhraseLength);
    field->setTextMargins(FramedLineEdit::PaddedMargins);
    m_fields[n - 1] = field;
}

void Tphrases::setBackground(const QPixmap &tile)
{
    m_background = tile;
    update();
}

void Tphrases::editPhrases(const QStringList &current, const QRect &mainFrame)
{
    for (int i = 0; i < PhraseCount; ++i)
        m_fields[i]->setText(current.value(i));
    if (mainFrame.isValid())
        windowstyle::centreOn(*this, mainFrame);
    show();
    raise();
    activateWindow();
}

QStringList Tphrases::phrases() const
{
    QStringList texts;
    for (const QLineEdit *field : m_fields)
        texts.append(field->text());
    return texts;
}

void Tphrases::applyAndClose()
{
    const QStringList texts = phrases();
    Q_EMIT phrasesChanged(texts);
    IniFile settings(m_settingsPath);
    if (!storePhrases(settings, texts) && m_boxes)
        m_boxes->showMessage(QStringLiteral("The phrases could not be saved in %1.").arg(m_settingsPath));
    hide();
}

QStringList Tphrases::storedPhrases(const IniFile &settings, const QStringList &defaults)
{
    QStringList texts;
    for (int n = 1; n <= PhraseCount; ++n) {
        const QString stored = settings.readString(Section, phraseKey(n));
        texts.append(stored.isEmpty() ? defaults.value(n - 1) : stored);
    }
    return texts;
}

bool Tphrases::storePhrases(IniFile &settings, const QStringList &phrases)
{
    for (int n = 1; n <= PhraseCount; ++n) {
        if (!settings.writeString(Section, phraseKey(n), oneLine(phrases.value(n - 1))))
            return false;
    }
    return true;
}

void Tphrases::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    windowstyle::paintWood(painter, rect(), m_background);
}
