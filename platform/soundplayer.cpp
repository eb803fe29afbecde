#include "soundplayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QString SoundPlayer::resourcePath(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    const QString path = QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav");
    return QFile::exists(path) ? path : QString();
}

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer()
{
    qDeleteAll(m_effects);
}

QSoundEffect *QtSoundPlayer::effect(const QString &path)
{
    QSoundEffect *&clip = m_effects[path];
    if (!clip) {
        clip = new QSoundEffect;
        clip->setSource(QUrl(QStringLiteral("qrc") + path));
    }
    return clip;
}

void QtSoundPlayer::play(const QString &name)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return;
    if (m_hasOutput < 0)
        m_hasOutput = QMediaDevices::audioOutputs().isEmpty() ? 0 : 1;
    if (m_hasOutput == 0)
        return;
    if (m_playing)
        m_playing->stop();
    m_playing = effect(path);
    m_playing->play();
}
