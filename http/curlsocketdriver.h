// CurlSocketDriver: runs libcurl transfers from the Qt event loop of its thread.
#pragma once

#include <curl/curl.h>

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

class QSocketNotifier;

// Owns one curl multi handle. curl tells which sockets to watch and when to wake
// (CURLMOPT_SOCKETFUNCTION / CURLMOPT_TIMERFUNCTION); the driver watches them with
// QSocketNotifier and a single-shot QTimer and hands every event back to curl, so
// nothing ever blocks the thread. curl's own callbacks run inside step(); the hooks
// below run after curl has returned, so they may call add/remove freely.
class CurlSocketDriver : public QObject
{
    Q_OBJECT
public:
    // Called after every step in which curl may have run callbacks.
    std::function<void()> onStepped;
    // Called once per transfer that has ended, with curl's result for it.
    std::function<void(CURL *easy, CURLcode code)> onFinished;

    explicit CurlSocketDriver(QObject *parent = nullptr);
    ~CurlSocketDriver() override;

    // Starts the transfer of a configured easy handle; false when curl refuses it.
    // The handle stays the caller's; remove it before cleaning it up.
    bool add(CURL *easy);
    // Stops a transfer (ended or not) and closes its connection.
    void remove(CURL *easy);

private:
    struct Watch
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int socketCallback(CURL *easy, curl_socket_t fd, int what, void *self, void *);
    static int timerCallback(CURLM *multi, long timeoutMs, void *self);
    void watch(curl_socket_t fd, int what);
    void unwatch(curl_socket_t fd);
    void setNotifier(QSocketNotifier *&notifier, curl_socket_t fd, bool wanted, bool forRead);
    void step(curl_socket_t fd, int events);
    void reportFinished();

    CURLM *m_multi = nullptr;
    QTimer m_timer;
    std::map<curl_socket_t, Watch> m_watches;
};
