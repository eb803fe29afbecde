// StepTimer: a host timer that remembers the step it was armed with, on a scalable clock.
#pragma once

#include <QObject>
#include <QTimer>

// Arming replaces any pending firing. An interval of 0 leaves the timer armed but idle: it
// never fires (a 0 ms QTimer would fire at once) until wake() gives it a real interval.
// Intervals are multiplied by the time scale and rounded to milliseconds; a non-zero
// interval never becomes shorter than minimumMs.
class StepTimer : public QObject
{
    Q_OBJECT
public:
    enum class Mode { SingleShot, Repeating };

    explicit StepTimer(Mode mode, int minimumMs = 0, QObject *parent = nullptr);

    void arm(int intervalMs, int step);
    void disable();
    // Starts an armed but idle timer with a non-zero interval; otherwise does nothing.
    void wake(int intervalMs);
    void setTimeScale(double scale);

    bool armed() const { return m_armed; }
    bool running() const { return m_timer.isActive(); }
    int step() const { return m_step; }
    // The interval the timer runs with (scaled, at least the minimum); 0 while idle.
    int runningIntervalMs() const { return m_timer.isActive() ? m_timer.interval() : 0; }

Q_SIGNALS:
    // Emitted when the timer fires; a single-shot timer is disarmed first.
    void fired(int step);

private:
    void start();

    QTimer m_timer;
    Mode m_mode;
    int m_minimumMs;
    int m_intervalMs = 0;
    int m_step = 0;
    bool m_armed = false;
    double m_scale = 1.0;
};
