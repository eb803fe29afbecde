// HttpGet: one HTTP/1.0 GET of a URL into a file, with progress events and an abort.
#pragma once

#include "httpengine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ModuleLibrary;

// How a get ended (HttpGetResult, in httpengine.h). status is the HTTP status of the final
// response, or 0 when the transfer failed below HTTP (bad address, name lookup, refused or
// broken connection, time-out, local file error, the HTTP module missing); reason is the
// response's reason phrase, or then a text that describes the failure. received counts
// body bytes taken in, also on failure.

// Fetches one document over http or https into a file. Get is synchronous for its caller
// but runs the thread's event loop while it waits, so windows stay usable and the events
// arrive on this thread, each after libcurl has returned (a handler may call Abort, or
// open a dialog). Only a final status of 200-299 is a success; an answer of 300 or above
// fails with its status and reason and its body is not kept. Redirects are followed, at
// most MaxRedirects of them and only to http or https, so the default https address may
// move without surprises and nothing else (file:, ftp: ...) is ever fetched.
// The body goes to a temporary file beside the target as it arrives; only a successful
// get renames it over the target, so the target is either the complete document or what
// it was before (a failed get leaves no partial file behind).
// The transfer machinery (libcurl and its TLS stack) is a module library opened by the
// first Get; when it cannot be opened, every Get fails with status 0 and a reason that
// says why, and nothing else happens.
// The object must outlive a running Get.
class HttpGet : public QObject, private HttpEvents
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(HttpGet *sender)>;
    using THeaderDataEvent = std::function<void(HttpGet *sender, const QString &line)>;
    using TDocDataEvent = std::function<void(HttpGet *sender, qint64 received)>;

    static constexpr int AbortedStatus = 404;
    static constexpr const char *AbortedReason = "Connection aborted on request";
    static constexpr const char *BusyReason = "A transfer is already running";
    static constexpr const char *DefaultAgent = "Mozilla/3.0 (compatible)";
    static constexpr const char *DefaultAccept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    static constexpr int DefaultConnectTimeout = 30; // seconds to set up the connection
    static constexpr int DefaultStallTimeout = 60;   // seconds without a single byte
    static constexpr int MaxRedirects = 5;

    // Once per header line received (status line and each header, without CR LF; the
    // blank line that ends the headers is not reported). Headers of redirects count too.
    THeaderDataEvent OnHeaderData;
    // Once, when the body of a successful answer begins (also for an empty body).
    TNotifyEvent OnDocBegin;
    // After each piece of the body is written, with the body bytes received so far.
    TDocDataEvent OnDocData;

    QByteArray Agent = DefaultAgent;   // User-Agent header
    QByteArray Accept = DefaultAccept; // Accept header

    static constexpr const char *ModuleName = "dorvanehttp";

    // moduleFolders: where the HTTP module is looked for (ModuleLibrary's folders by default).
    explicit HttpGet(QObject *parent = nullptr);
    HttpGet(const QStringList &moduleFolders, QObject *parent = nullptr);
    ~HttpGet() override;

    // Both in whole seconds; 0 turns the limit off.
    void setTimeouts(int connectSeconds, int stallSeconds);

    // Fetches url into fileName and returns when the transfer has ended. A second Get
    // while one runs (from an event handler) is refused at once with BusyReason. An
    // exception thrown by an event handler stops the transfer and leaves Get after the
    // clean-up.
    [[nodiscard]] HttpGetResult Get(const QString &url, const QString &fileName);
    // Ends a running Get, which then fails with AbortedStatus and AbortedReason and
    // raises no more events. Does nothing while no Get runs.
    void Abort();

    bool busy() const { return m_running; }
    // Body bytes received by the running or the last Get.
    qint64 receivedCount() const { return m_engine ? m_engine->received() : 0; }

private:
    HttpEngine *engine(QString *error);
    void headerLine(const QString &line) override;
    void docBegin() override;
    void docData(qint64 received) override;

    std::unique_ptr<ModuleLibrary> m_module;
    std::unique_ptr<HttpEngine> m_engine; // made by the first Get
    bool m_running = false;
    int m_connectTimeout = DefaultConnectTimeout;
    int m_stallTimeout = DefaultStallTimeout;
};
