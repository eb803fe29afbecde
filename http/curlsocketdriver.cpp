// CurlSocketDriver: runs libcurl transfers from the Qt event loop of its thread.
#include "curlsocketdriver.h"

#include <QSocketNotifier>
#include <algorithm>
#include <mutex>

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlSocketDriver::CurlSocketDriver(QObject *parent)
    : QObject(parent)
{
    initCurlOnce();
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlSocketDriver::socketCallback);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlSocketDriver::timerCallback);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { step(CURL_SOCKET_TIMEOUT, 0); });
}

CurlSocketDriver::~CurlSocketDriver()
{
    // The owner removes its handles first; cleaning up the multi handle closes what is left.
    curl_multi_cleanup(m_multi);
    for (auto &[fd, w] : m_watches) {
        delete w.read;
        delete w.write;
    }
}

bool CurlSocketDriver::add(CURL *easy)
{
    // curl answers with a timer request of 0 ms; the first step runs from the event loop.
    return curl_multi_add_handle(m_multi, easy) == CURLM_OK;
}

void CurlSocketDriver::remove(CURL *easy)
{
    curl_multi_remove_handle(m_multi, easy);
}

int CurlSocketDriver::socketCallback(CURL *, curl_socket_t fd, int what, void *self, void *)
{
    auto *driver = static_cast<CurlSocketDriver *>(self);
    if (what == CURL_POLL_REMOVE)
        driver->unwatch(fd);
    else
        driver->watch(fd, what);
    return 0;
}

int CurlSocketDriver::timerCallback(CURLM *, long timeoutMs, void *self)
{
    // Never call back into curl from here: the step runs from the event loop.
    auto *driver = static_cast<CurlSocketDriver *>(self);
    if (timeoutMs < 0)
        driver->m_timer.stop();
    else
        driver->m_timer.start(int(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

void CurlSocketDriver::watch(curl_socket_t fd, int what)
{
    Watch &w = m_watches[fd];
    setNotifier(w.read, fd, what & CURL_POLL_IN, true);
    setNotifier(w.write, fd, what & CURL_POLL_OUT, false);
}

// curl may drop a socket while its notifier is delivering the event that led to the
// drop, so notifiers are disabled at once and deleted later.
void CurlSocketDriver::unwatch(curl_socket_t fd)
{
    auto it = m_watches.find(fd);
    if (it == m_watches.end())
        return;
    for (QSocketNotifier *n : {it->second.read, it->second.write}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_watches.erase(it);
}

void CurlSocketDriver::setNotifier(QSocketNotifier *&notifier, curl_socket_t fd, bool wanted, bool forRead)
{
    if (!wanted) {
        if (notifier)
            notifier->setEnabled(false);
        return;
    }
    if (!notifier) {
        const auto type = forRead ? QSocketNotifier::Read : QSocketNotifier::Write;
        notifier = new QSocketNotifier(qintptr(fd), type, this);
        const int events = forRead ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
        connect(notifier, &QSocketNotifier::activated, this, [this, fd, events] { step(fd, events); });
    }
    notifier->setEnabled(true);
}

void CurlSocketDriver::step(curl_socket_t fd, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, fd, events, &running);
    if (onStepped)
        onStepped();
    reportFinished();
}

void CurlSocketDriver::reportFinished()
{
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(m_multi, &left)) {
        if (msg->msg == CURLMSG_DONE && onFinished)
            onFinished(msg->easy_handle, msg->data.result);
    }
}
