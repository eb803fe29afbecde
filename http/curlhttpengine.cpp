// CurlHttpEngine: one HTTP/1.0 GET of a URL into a file on libcurl, with its events queued
// while curl runs and raised after it returns.
#include "curlhttpengine.h"

#include "curlsocketdriver.h"
#include "httpget.h"

#include <QEventLoop>
#include <QSaveFile>
#include <deque>
#include <exception>

namespace {

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

// "HTTP/1.1 404 Not Found" -> 404 and "Not Found". Leaves both alone on anything else.
void parseStatusLine(const QByteArray &line, int &status, QString &reason)
{
    const qsizetype space = line.indexOf(' ');
    if (space < 0)
        return;
    const QByteArray rest = line.mid(space + 1).trimmed();
    if (rest.size() < 3)
        return;
    bool isNumber = false;
    const int code = rest.left(3).toInt(&isNumber);
    if (!isNumber || (rest.size() > 3 && rest.at(3) != ' '))
        return;
    status = code;
    reason = QString::fromLatin1(rest.mid(4).trimmed());
}

} // namespace

struct CurlHttpEngine::Event
{
    enum Kind { HeaderLine, DocBegin, DocData } kind;
    QString line;
    qint64 received = 0;
};

// Everything that lives for one Get.
struct CurlHttpEngine::Transfer
{
    QSaveFile file;
    CURL *easy = nullptr;
    curl_slist *headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    QEventLoop loop;
    std::deque<Event> events;
    bool finished = false;
    bool aborted = false;
    bool docBegun = false;
    CURLcode code = CURLE_OK;
    int status = 0;
    QString reason;
    QString fileError;
    std::exception_ptr handlerError;
    HttpEvents *receiver = nullptr;

    Transfer(const QString &fileName, HttpEvents &events)
        : file(fileName)
        , receiver(&events)
    {
    }
    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

CurlHttpEngine::CurlHttpEngine() = default;

CurlHttpEngine::~CurlHttpEngine() = default;

// libcurl (and the TLS library under it, which reads its configuration) is set up on the
// first get, not when the engine is made.
CurlSocketDriver &CurlHttpEngine::driver()
{
    if (m_driver)
        return *m_driver;
    m_driver = std::make_unique<CurlSocketDriver>();
    m_driver->onStepped = [this] { deliverEvents(); };
    m_driver->onFinished = [this](CURL *easy, CURLcode code) {
        if (!m_transfer || m_transfer->easy != easy)
            return;
        m_transfer->code = code;
        m_transfer->finished = true;
        m_transfer->loop.quit();
    };
    return *m_driver;
}

HttpGetResult CurlHttpEngine::get(const HttpRequest &request, HttpEvents &events)
{
    if (m_transfer)
        return {false, 0, QString::fromLatin1(HttpGet::BusyReason), 0};
    m_received = 0;
    m_transfer = std::make_unique<Transfer>(request.fileName, events);
    const HttpGetResult result = run(request);
    const std::exception_ptr handlerError = m_transfer->handlerError;
    m_transfer.reset(); // an uncommitted temporary file is removed here
    if (handlerError)
        std::rethrow_exception(handlerError);
    return result;
}

void CurlHttpEngine::abort()
{
    if (!m_transfer)
        return;
    m_transfer->aborted = true; // queued events are dropped, curl is left at once
    m_transfer->loop.quit();
}

HttpGetResult CurlHttpEngine::run(const HttpRequest &request)
{
    Transfer &t = *m_transfer;
    if (!t.file.open(QIODevice::WriteOnly))
        return {false, 0, QStringLiteral("Cannot create %1: %2").arg(t.file.fileName(), t.file.errorString()), 0};
    CurlSocketDriver &curl = driver(); // before the first curl call: it sets libcurl up
    if (!setUp(t, request) || !curl.add(t.easy))
        return {false, 0, QStringLiteral("Cannot start the transfer"), 0};

    if (!t.finished && !t.aborted)
        t.loop.exec();
    curl.remove(t.easy);

    HttpGetResult result = outcome(t);
    if (result.ok && !t.file.commit())
        result = {false, 0, QStringLiteral("Cannot save %1: %2").arg(t.file.fileName(), t.file.errorString()),
                  m_received};
    return result;
}

bool CurlHttpEngine::setUp(Transfer &t, const HttpRequest &request)
{
    t.easy = curl_easy_init();
    if (!t.easy)
        return false;
    t.headers = curl_slist_append(nullptr, ("Accept: " + request.accept).constData());
    CURL *e = t.easy;
    // curl copies every string option, so the temporaries below may go.
    const CURLcode results[] = {
        curl_easy_setopt(e, CURLOPT_URL, request.url.toUtf8().constData()),
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L),
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)),
        curl_easy_setopt(e, CURLOPT_USERAGENT, request.agent.constData()),
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers),
        curl_easy_setopt(e, CURLOPT_PROXY, ""), // no proxy, whatever the environment says
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https"),
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"),
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L),
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, long(HttpGet::MaxRedirects)),
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, long(request.connectTimeout)),
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, request.stallTimeout > 0 ? 1L : 0L),
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(request.stallTimeout)),
        curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L),
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L),
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.errorText),
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CurlHttpEngine::headerCallback),
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this),
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CurlHttpEngine::writeCallback),
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this),
    };
    for (CURLcode rc : results) {
        if (rc != CURLE_OK)
            return false;
    }
    return t.headers != nullptr;
}

// The order of the checks decides what a failure is reported as: a stop on request
// first, then the local file, then the server's answer, then curl's own verdict.
HttpGetResult CurlHttpEngine::outcome(const Transfer &t) const
{
    if (t.aborted || !t.finished)
        return {false, HttpGet::AbortedStatus, QString::fromLatin1(HttpGet::AbortedReason), m_received};
    if (!t.fileError.isEmpty())
        return {false, 0, t.fileError, m_received};
    if (t.status != 0 && !isSuccess(t.status))
        return {false, t.status, t.reason, m_received};
    if (t.code != CURLE_OK) {
        const char *text = t.errorText[0] ? t.errorText : curl_easy_strerror(t.code);
        return {false, 0, QString::fromLocal8Bit(text), m_received};
    }
    if (t.status == 0)
        return {false, 0, QStringLiteral("No HTTP answer"), m_received};
    return {true, t.status, t.reason, m_received};
}

// curl calls this inside its own step: only record and queue, never call out.
size_t CurlHttpEngine::headerCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<CurlHttpEngine *>(self);
    if (!get->m_transfer || get->m_transfer->aborted)
        return 0; // makes curl end the transfer
    get->takeHeaderLine(QByteArray(data, qsizetype(size * count)));
    return size * count;
}

size_t CurlHttpEngine::writeCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<CurlHttpEngine *>(self);
    if (!get->m_transfer || !get->takeBody(data, qint64(size * count)))
        return 0;
    return size * count;
}

void CurlHttpEngine::takeHeaderLine(QByteArray line)
{
    Transfer &t = *m_transfer;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty()) {
        // The end of one answer's headers: the document starts here if this answer is
        // the final, successful one (interim and redirect answers are not 2xx).
        if (isSuccess(t.status) && !t.docBegun) {
            t.docBegun = true;
            t.events.push_back({Event::DocBegin, {}, 0});
        }
        return;
    }
    if (line.startsWith("HTTP/"))
        parseStatusLine(line, t.status, t.reason);
    t.events.push_back({Event::HeaderLine, QString::fromLatin1(line), 0});
}

// Writes one piece of the body; false ends the transfer.
bool CurlHttpEngine::takeBody(const char *data, qint64 length)
{
    Transfer &t = *m_transfer;
    if (t.aborted)
        return false;
    if (!isSuccess(t.status))
        return false; // an error page is not the document; outcome() reports the status
    if (t.file.write(data, length) != length) {
        t.fileError = QStringLiteral("Cannot write %1: %2").arg(t.file.fileName(), t.file.errorString());
        return false;
    }
    m_received += length;
    t.events.push_back({Event::DocData, {}, m_received});
    return true;
}

// Raises the queued events after curl has returned, in the order they happened. A
// handler may run a nested event loop that delivers further events; they all come
// from the one queue, so the order holds.
void CurlHttpEngine::deliverEvents()
{
    while (m_transfer && !m_transfer->aborted && !m_transfer->events.empty()) {
        const Event event = std::move(m_transfer->events.front());
        m_transfer->events.pop_front();
        try {
            deliver(event);
        } catch (...) {
            if (m_transfer && !m_transfer->handlerError)
                m_transfer->handlerError = std::current_exception();
            abort();
        }
    }
}

void CurlHttpEngine::deliver(const Event &event)
{
    HttpEvents &receiver = *m_transfer->receiver;
    switch (event.kind) {
    case Event::HeaderLine:
        receiver.headerLine(event.line);
        break;
    case Event::DocBegin:
        receiver.docBegin();
        break;
    case Event::DocData:
        receiver.docData(event.received);
        break;
    }
}

extern "C" Q_DECL_EXPORT HttpEngine *dorvane_create_http_engine()
{
    return new CurlHttpEngine;
}
