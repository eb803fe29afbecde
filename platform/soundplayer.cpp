#include "soundplayer.h"

#include "modulelibrary.h"
#include "soundbackend.h"

#include <QFile>
#include <cstdio>

QString SoundPlayer::resourcePath(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    const QString path = QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav");
    return QFile::exists(path) ? path : QString();
}

void SoundPlayer::noticeSilence(const QString &line)
{
    if (m_noticed || !m_notice)
        return;
    m_noticed = true;
    m_notice(line);
}

DesktopSoundPlayer::DesktopSoundPlayer()
    : DesktopSoundPlayer(ModuleLibrary::defaultFolders())
{
}

DesktopSoundPlayer::DesktopSoundPlayer(const QStringList &moduleFolders)
    : DesktopSoundPlayer(moduleFolders, SoundOutput::fromEnvironment())
{
}

DesktopSoundPlayer::DesktopSoundPlayer(const QStringList &moduleFolders, SoundOutput output)
    : m_module(std::make_unique<ModuleLibrary>(QString::fromLatin1(ModuleName), moduleFolders))
    , m_output(std::move(output))
{
}

DesktopSoundPlayer::~DesktopSoundPlayer() = default;

bool DesktopSoundPlayer::outputExists()
{
    if (!m_output.find().isEmpty()) {
        m_problem.clear();
        return true;
    }
    if (!m_saidNoOutput) {
        m_saidNoOutput = true;
        m_problem = QStringLiteral("Sounds are off: no sound server or audio device was found (looked for %1)")
                        .arg(m_output.places().join(QStringLiteral(", ")));
        std::fprintf(stderr, "dorvane: %s\n", qPrintable(m_problem));
        noticeSilence(QStringLiteral("No sound device or sound server was found, so sounds cannot be heard "
                                     "until one is there."));
    }
    return false;
}

SoundBackEnd *DesktopSoundPlayer::backEnd()
{
    if (m_backEnd || m_moduleFailed || !outputExists())
        return m_backEnd.get();
    auto *create = m_module->entry<CreateSoundBackEnd>(CreateSoundBackEndSymbol);
    if (create)
        m_backEnd.reset(create());
    if (!m_backEnd) {
        m_moduleFailed = true;
        m_problem = QStringLiteral("Sounds are off: %1").arg(m_module->errorString());
        std::fprintf(stderr, "dorvane: %s\n", qPrintable(m_problem));
        noticeSilence(QStringLiteral("Sounds cannot be heard because the sound module could not be loaded (%1).")
                          .arg(m_module->errorString()));
    }
    return m_backEnd.get();
}

void DesktopSoundPlayer::play(const QString &name)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return;
    SoundBackEnd *sounds = backEnd();
    if (!sounds)
        return;
    // The sound system answers on its own thread: a refusal of an earlier clip shows here.
    const QString refused = sounds->problem();
    if (!refused.isEmpty())
        noticeSilence(QStringLiteral("Sounds cannot be heard: %1.").arg(refused));
    QFile clip(path);
    if (clip.open(QIODevice::ReadOnly)) // a compiled-in resource: never fails once it exists
        sounds->play(name.toLower(), clip.readAll());
}

QString DesktopSoundPlayer::problem() const
{
    if (!m_backEnd)
        return m_problem;
    return m_backEnd->problem();
}
