// CanberraSoundBackEnd: the desktop's event-sound library (libcanberra, over PulseAudio or
// ALSA) behind SoundPlayer; built into the module library "dorvanesound".
#pragma once

#include "soundbackend.h"

#include <QSet>
#include <QTemporaryDir>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The sound library plays files, so each clip is written once into a private temporary
// folder. Talking to the sound system can take a round trip or more, so that happens on
// one worker thread: play() only leaves the newest request for it, and a request not yet
// started when a newer one comes is dropped (one sound at a time, the newest wins).
class CanberraSoundBackEnd : public SoundBackEnd
{
public:
    CanberraSoundBackEnd();
    ~CanberraSoundBackEnd() override;
    void play(const QString &name, const QByteArray &wav) override;
    QString problem() const override;

private:
    QString clipFile(const QString &name, const QByteArray &wav);
    void run();

    QTemporaryDir m_folder;
    QSet<QString> m_written; // clips already in m_folder (GUI thread only)

    mutable std::mutex m_mutex; // guards the members below
    std::condition_variable m_wake;
    std::string m_next; // file of the newest request not yet started
    bool m_stop = false;
    std::string m_problem;

    std::thread m_worker; // last: started once everything above exists
};
