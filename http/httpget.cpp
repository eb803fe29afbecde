// HttpGet: one HTTP/1.0 GET of a URL into a file, with progress events and an abort.
#include "httpget.h"

#include "curlsocketdriver.h"

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

struct HttpGet::Event
{
    enum Kind { HeaderLine, DocBegin, DocData } kind;
    QString line;
    qint64 received = 0;
};

// Everything that lives for one Get.
struct HttpGet::Transfer
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

    explicit Transfer(const QString &fileName) : file(fileName) {}
    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

HttpGet::HttpGet(QObject *parent)
    : QObject(parent)
{
}

HttpGet::~HttpGet() = default;

// libcurl (and the TLS library under it, which reads its configuration) is set up on the
// first Get, not when the object is made: a program that never downloads never pays for it.
CurlSocketDriver &HttpGet::driver()
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

void HttpGet::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_connectTimeout = std::max(0, connectSeconds);
    m_stallTimeout = std::max(0, stallSeconds);
}

HttpGetResult HttpGet::Get(const QString &url, const QString &fileName)
{
    if (m_transfer)
        return {false, 0, QString::fromLatin1(BusyReason), 0};
    m_received = 0;
    m_transfer = std::make_unique<Transfer>(fileName);
    const HttpGetResult result = run(url);
    const std::exception_ptr handlerError = m_transfer->handlerError;
    m_transfer.reset(); // an uncommitted temporary file is removed here
    if (handlerError)
        std::rethrow_exception(handlerError);
    return result;
}

void HttpGet::Abort()
{
    if (!m_transfer)
        return;
    m_transfer->aborted = true; // queued events are dropped, curl is left at once
    m_transfer->loop.quit();
}

HttpGetResult HttpGet::run(const QString &url)
{
    Transfer &t = *m_transfer;
    if (!t.file.open(QIODevice::WriteOnly))
        return {false, 0, QStringLiteral("Cannot create %1: %2").arg(t.file.fileName(), t.file.errorString()), 0};
    CurlSocketDriver &curl = driver(); // before the first curl call: it sets libcurl up
    if (!setUp(t, url) || !curl.add(t.easy))
        return {false, 0, QStringLiteral("Cannot start the transfer"), 0};

    if (!t.finished && !t.aborted)
        t.loop.exec();
    curl.remove(t.easy);

    HttpGetResult result = outcome(t);
    if (result.ok && !t.file.commit())
        result = {false, 0, QStringLiteral("Cannot save %1: %2").arg(t.file.fileName(), t.file.errorString()), m_received};
    return result;
}

bool HttpGet::setUp(Transfer &t, const QString &url)
{
    t.easy = curl_easy_init();
    if (!t.easy)
        return false;
    t.headers = curl_slist_append(nullptr, ("Accept: " + Accept).constData());
    CURL *e = t.easy;
    // curl copies every string option, so the temporaries below may go.
    const CURLcode results[] = {
        curl_easy_setopt(e, CURLOPT_URL, url.toUtf8().constData()),
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L),
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)),
        curl_easy_setopt(e, CURLOPT_USERAGENT, Agent.constData()),
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers),
        curl_easy_setopt(e, CURLOPT_PROXY, ""), // no proxy, whatever the environment says
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https"),
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"),
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L),
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, long(MaxRedirects)),
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, long(m_connectTimeout)),
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, m_stallTimeout > 0 ? 1L : 0L),
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(m_stallTimeout)),
        curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L),
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L),
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.errorText),
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &HttpGet::headerCallback),
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this),
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &HttpGet::writeCallback),
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
HttpGetResult HttpGet::outcome(const Transfer &t) const
{
    if (t.aborted || !t.finished)
        return {false, AbortedStatus, QString::fromLatin1(AbortedReason), m_received};
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
size_t HttpGet::headerCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<HttpGet *>(self);
    if (!get->m_transfer || get->m_transfer->aborted)
        return 0; // makes curl end the transfer
    get->takeHeaderLine(QByteArray(data, qsizetype(size * count)));
    return size * count;
}

size_t HttpGet::writeCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<HttpGet *>(self);
    if (!get->m_transfer || !get->takeBody(data, qint64(size * count)))
        return 0;
    return size * count;
}

void HttpGet::takeHeaderLine(QByteArray line)
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
bool HttpGet::takeBody(const char *data, qint64 length)
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
void HttpGet::deliverEvents()
{
    while (m_transfer && !m_transfer->aborted && !m_transfer->events.empty()) {
        const Event event = std::move(m_transfer->events.front());
        m_transfer->events.pop_front();
        try {
            deliver(event);
        } catch (...) {
            if (m_transfer && !m_transfer->handlerError)
                m_transfer->handlerError = std::current_exception();
            Abort();
        }
    }
}

void HttpGet::deliver(const Event &event)
{
    switch (event.kind) {
    case Event::HeaderLine:
        if (OnHeaderData)
            OnHeaderData(this, event.line);
        break;
    case Event::DocBegin:
        if (OnDocBegin)
            OnDocBegin(this);
        break;
    case Event::DocData:
        if (OnDocData)
            OnDocData(this, event.received);
        break;
    }
}
