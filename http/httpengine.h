// HttpEngine: the transfer machinery behind HttpGet, kept in the module library
// "dorvanehttp" (libcurl and its TLS stack), which HttpGet opens on the first get.
#pragma once

#include <QByteArray>
#include <QString>

// How a get ended; see HttpGet.
struct HttpGetResult
{
    bool ok = false;
    int status = 0;
    QString reason;
    qint64 received = 0;
};

// What one get asks for.
struct HttpRequest
{
    QString url;
    QString fileName;
    QByteArray agent;
    QByteArray accept;
    int connectTimeout = 0; // seconds, 0 = none
    int stallTimeout = 0;   // seconds without a byte, 0 = none
};

// The events of a running get, raised after the transfer library has returned, so a
// receiver may call HttpEngine::abort or run a nested event loop. An exception thrown by
// a receiver stops the transfer; get() rethrows it after the clean-up.
class HttpEvents
{
public:
    virtual void headerLine(const QString &line) = 0;
    virtual void docBegin() = 0;
    virtual void docData(qint64 received) = 0;

protected:
    ~HttpEvents() = default;
};

class HttpEngine
{
public:
    virtual ~HttpEngine() = default;
    // Runs one transfer to its end in a local event loop (see HttpGet::Get).
    virtual HttpGetResult get(const HttpRequest &request, HttpEvents &events) = 0;
    // Ends the running get, which then fails as aborted; nothing when none runs.
    virtual void abort() = 0;
    // Body bytes received by the running or the last get.
    virtual qint64 received() const = 0;
};

// The module's one entry point: a new engine, owned by the caller.
using CreateHttpEngine = HttpEngine *();
inline constexpr const char *CreateHttpEngineSymbol = "dorvane_create_http_engine";
