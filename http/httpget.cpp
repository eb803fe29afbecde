// HttpGet: one HTTP/1.0 GET of a URL into a file, with progress events and an abort.
#include "httpget.h"

#include "modulelibrary.h"

HttpGet::HttpGet(QObject *parent)
    : HttpGet(ModuleLibrary::defaultFolders(), parent)
{
}

HttpGet::HttpGet(const QStringList &moduleFolders, QObject *parent)
    : QObject(parent)
    , m_module(std::make_unique<ModuleLibrary>(QString::fromLatin1(ModuleName), moduleFolders))
{
}

HttpGet::~HttpGet() = default;

void HttpGet::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_connectTimeout = std::max(0, connectSeconds);
    m_stallTimeout = std::max(0, stallSeconds);
}

// The module (libcurl and the TLS library under it) is opened by the first Get, not when
// the object is made: a program that never downloads never maps it.
HttpEngine *HttpGet::engine(QString *error)
{
    if (m_engine)
        return m_engine.get();
    auto *create = m_module->entry<CreateHttpEngine>(CreateHttpEngineSymbol);
    if (create)
        m_engine.reset(create());
    if (!m_engine)
        *error = QStringLiteral("The HTTP client is not available: %1").arg(m_module->errorString());
    return m_engine.get();
}

HttpGetResult HttpGet::Get(const QString &url, const QString &fileName)
{
    if (m_running)
        return {false, 0, QString::fromLatin1(BusyReason), 0};
    QString error;
    HttpEngine *transfer = engine(&error);
    if (!transfer)
        return {false, 0, error, 0};
    m_running = true;
    struct Finish
    {
        bool &running;
        ~Finish() { running = false; } // also when a handler's exception passes through
    } finish{m_running};
    return transfer->get({url, fileName, Agent, Accept, m_connectTimeout, m_stallTimeout}, *this);
}

void HttpGet::Abort()
{
    if (m_running)
        m_engine->abort();
}

void HttpGet::headerLine(const QString &line)
{
    if (OnHeaderData)
        OnHeaderData(this, line);
}

void HttpGet::docBegin()
{
    if (OnDocBegin)
        OnDocBegin(this);
}

void HttpGet::docData(qint64 received)
{
    if (OnDocData)
        OnDocData(this, received);
}
