// HttpGet against a scripted HTTP server on 127.0.0.1 (ephemeral port, same thread).
#include "httpget.h"
#include "scriptedhttpserver.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using scriptedhttp::patternBody;
using scriptedhttp::Reply;
using scriptedhttp::ScriptedServer;

const QByteArray DocPath = "/lobby/vnlsetup.exe";

Reply okReply(const QByteArray &body, int piece = 0, int pauseMs = 0)
{
    return {"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                + QByteArray::number(body.size()),
            body, piece, pauseMs};
}

// Records the events as "H <line>", "B" and "D <count>".
struct EventLog
{
    std::vector<std::string> entries;

    void attach(HttpGet &get)
    {
        get.OnHeaderData = [this](HttpGet *, const QString &line) {
            entries.push_back("H " + line.toStdString());
        };
        get.OnDocBegin = [this](HttpGet *) { entries.push_back("B"); };
        get.OnDocData = [this](HttpGet *, qint64 n) { entries.push_back("D " + std::to_string(n)); };
    }
    int count(char kind) const
    {
        return int(
            std::count_if(entries.begin(), entries.end(), [kind](const std::string &e) { return e[0] == kind; }));
    }
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class HttpGetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        get.setTimeouts(5, 1);
        log.attach(get);
        target = dir.filePath("vnlsetup.exe");
    }
    void writePrevious()
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("previous");
    }
    QStringList filesInDir() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    QString target;
    ScriptedServer server;
    HttpGet get;
    EventLog log;
};

struct SuccessCase
{
    const char *name;
    Reply reply;
};

void PrintTo(const SuccessCase &c, std::ostream *os)
{
    *os << c.name;
}

class HttpGetSuccess : public HttpGetTest, public ::testing::WithParamInterface<SuccessCase>
{
};

// Headers first, then one DocBegin, then rising counts that end at the body size.
TEST_P(HttpGetSuccess, DocumentReplacesFileWithEventsInOrder)
{
    const SuccessCase &c = GetParam();
    server.replies[DocPath] = c.reply;
    writePrevious();

    const HttpGetResult r = get.Get(server.url(DocPath), target);

    EXPECT_TRUE(r.ok) << c.name << ": " << r.reason.toStdString();
    EXPECT_EQ(r.status, 200) << c.name;
    EXPECT_EQ(r.reason, "OK") << c.name;
    EXPECT_EQ(r.received, c.reply.body.size()) << c.name;
    EXPECT_EQ(get.receivedCount(), c.reply.body.size()) << c.name;
    EXPECT_EQ(readFile(target), c.reply.body) << c.name;
    EXPECT_EQ(filesInDir(), QStringList{"vnlsetup.exe"}) << c.name << ": no temporary file left";

    const std::vector<std::string> headLines = [&] {
        std::vector<std::string> lines;
        for (const QByteArray &line : c.reply.head.split('\n'))
            lines.push_back("H " + line.trimmed().toStdString());
        return lines;
    }();
    ASSERT_GE(log.entries.size(), headLines.size() + 1) << c.name;
    EXPECT_EQ(std::vector<std::string>(log.entries.begin(), log.entries.begin() + qsizetype(headLines.size())),
              headLines)
        << c.name;
    EXPECT_EQ(log.entries[headLines.size()], "B") << c.name;
    qint64 last = 0;
    for (size_t i = headLines.size() + 1; i < log.entries.size(); ++i) {
        ASSERT_EQ(log.entries[i][0], 'D') << c.name << ": only data events after the body began";
        const qint64 n = std::stoll(log.entries[i].substr(2));
        EXPECT_GT(n, last) << c.name;
        last = n;
    }
    EXPECT_EQ(last, c.reply.body.size()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Documents, HttpGetSuccess,
                         ::testing::Values(SuccessCase{"1234 bytes in pieces", okReply(patternBody(1234), 400, 5)},
                                           SuccessCase{"1234 bytes at once", okReply(patternBody(1234))},
                                           SuccessCase{"empty document", okReply({})},
                                           SuccessCase{"no length, ends at close",
                                                       {"HTTP/1.0 200 OK", patternBody(3000)}}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
                             return name;
                         });

TEST_F(HttpGetTest, RequestIsHttp10WithAgentAndAcceptAndNothingElseAccepted)
{
    server.replies[DocPath] = okReply("x");
    ASSERT_TRUE(get.Get(server.url(DocPath), target).ok);

    ASSERT_EQ(server.requests.size(), 1);
    const QList<QByteArray> lines = server.requests[0].split('\n');
    EXPECT_EQ(lines[0].trimmed(), "GET /lobby/vnlsetup.exe HTTP/1.0");
    QList<QByteArray> accepts;
    QList<QByteArray> agents;
    for (const QByteArray &line : lines) {
        if (line.toLower().startsWith("accept:"))
            accepts.append(line.trimmed());
        if (line.toLower().startsWith("user-agent:"))
            agents.append(line.trimmed());
    }
    EXPECT_EQ(agents, QList<QByteArray>{"User-Agent: Mozilla/3.0 (compatible)"});
    EXPECT_EQ(accepts, QList<QByteArray>{"Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*"});
}

TEST_F(HttpGetTest, RedirectIsFollowedAndTheDocumentBeginsOnce)
{
    server.replies["/old"] = {"HTTP/1.0 302 Found\r\nLocation: /lobby/vnlsetup.exe", "moved"};
    server.replies[DocPath] = okReply(patternBody(100));

    const HttpGetResult r = get.Get(server.url("/old"), target);

    EXPECT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_EQ(server.requests.size(), 2);
    EXPECT_EQ(readFile(target), patternBody(100));
    EXPECT_EQ(log.count('B'), 1);
    EXPECT_EQ(log.entries.front(), "H HTTP/1.0 302 Found");
}

struct FailureCase
{
    const char *name;
    Reply reply;
    int status;         // expected status
    const char *reason; // expected reason; nullptr: any description
    bool docBegins;     // a 2xx answer began before the failure
    qint64 received;
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class HttpGetFailure : public HttpGetTest, public ::testing::WithParamInterface<FailureCase>
{
};

// Every failure keeps what the target held and leaves no partial or temporary file.
TEST_P(HttpGetFailure, FailsAndKeepsThePreviousFile)
{
    const FailureCase &c = GetParam();
    server.replies[DocPath] = c.reply;
    writePrevious();

    const HttpGetResult r = get.Get(server.url(DocPath), target);

    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.reason.toStdString();
    if (c.reason) {
        EXPECT_EQ(r.reason, c.reason) << c.name;
    } else {
        EXPECT_FALSE(r.reason.isEmpty()) << c.name;
    }
    EXPECT_EQ(r.received, c.received) << c.name;
    EXPECT_EQ(log.count('B'), c.docBegins ? 1 : 0) << c.name;
    if (!c.docBegins) {
        EXPECT_EQ(log.count('D'), 0) << c.name << ": an error page is not written";
    }
    EXPECT_EQ(readFile(target), "previous") << c.name;
    EXPECT_EQ(filesInDir(), QStringList{"vnlsetup.exe"}) << c.name;
}

const QByteArray Thousand = patternBody(1000);

INSTANTIATE_TEST_SUITE_P(
    Answers, HttpGetFailure,
    ::testing::Values(
        FailureCase{"404 with a page",
                    {"HTTP/1.0 404 Not Found\r\nContent-Length: 9", "not here!"},
                    404,
                    "Not Found",
                    false,
                    0},
        FailureCase{"503 own reason, no page",
                    {"HTTP/1.1 503 Gone Fishing\r\nContent-Length: 0", {}},
                    503,
                    "Gone Fishing",
                    false,
                    0},
        FailureCase{"304 is not the document", {"HTTP/1.0 304 Not Modified", {}}, 304, "Not Modified", false, 0},
        FailureCase{"redirect to a local file",
                    {"HTTP/1.0 302 Found\r\nLocation: file:///etc/hostname", {}},
                    302,
                    "Found",
                    false,
                    0},
        FailureCase{"not HTTP at all", {"SSH-2.0-hello", {}}, 0, nullptr, false, 0},
        FailureCase{"closed mid-body", {okReply(Thousand).head, Thousand, 0, 0, 400}, 0, nullptr, true, 400},
        FailureCase{"server never answers", {{}, {}, 0, 0, -1, true}, 0, nullptr, false, 0}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(HttpGetTest, BadAddressesFailWithoutEvents)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 unusedPort = closed.serverPort();
    closed.close();
    const struct
    {
        const char *name;
        QString url;
    } cases[] = {
        {"refused connection", QStringLiteral("http://127.0.0.1:%1/lobby/vnlsetup.exe").arg(unusedPort)},
        {"unknown host (reserved name)", QStringLiteral("http://nonexistent.invalid/lobby/vnlsetup.exe")},
        {"other scheme", QStringLiteral("ftp://127.0.0.1:%1/vnlsetup.exe").arg(unusedPort)},
        {"local file", QStringLiteral("file:///etc/hostname")},
        {"no host", QStringLiteral("http://")},
    };
    for (const auto &c : cases) {
        log.entries.clear();
        const HttpGetResult r = get.Get(c.url, target);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_FALSE(r.reason.isEmpty()) << c.name;
        EXPECT_TRUE(log.entries.empty()) << c.name;
        EXPECT_TRUE(filesInDir().isEmpty()) << c.name;
    }
}

TEST_F(HttpGetTest, TargetThatCannotBeCreatedFailsBeforeAnyRequest)
{
    server.replies[DocPath] = okReply("x");
    const HttpGetResult r = get.Get(server.url(DocPath), dir.filePath("missing/vnlsetup.exe"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.reason.startsWith("Cannot create")) << r.reason.toStdString();
    EXPECT_TRUE(server.requests.isEmpty());
}

// Abort from an event handler, or from a timer as a button click would, while a slow
// body (10000 bytes over about two seconds) arrives or while the server says nothing.
// A watchdog cuts the server's connections after 3 s, so an abort that fails to end
// the wait shows up as a failed check instead of a hang.
TEST_F(HttpGetTest, AbortEndsTheTransferAsConnectionAborted)
{
    const QByteArray body = patternBody(10000);
    const struct
    {
        const char *name;
        bool fromTimer;
        bool silentServer;
    } cases[] = {
        {"from OnDocData", false, false},
        {"from a timer during the body", true, false},
        {"from a timer while the server is silent", true, true},
    };
    get.setTimeouts(5, 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.replies[DocPath] = c.silentServer ? Reply{{}, {}, 0, 0, -1, true} : okReply(body, 100, 20);
        log.attach(get);
        log.entries.clear();
        size_t entriesAtAbort = 0;
        bool watchdogFired = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            watchdogFired = true;
            server.dropAll();
        });
        watchdog.start(3000);
        if (c.fromTimer) {
            QTimer::singleShot(150, &get, [&] {
                entriesAtAbort = log.entries.size();
                get.Abort();
            });
        } else {
            get.OnDocData = [&](HttpGet *sender, qint64 n) {
                log.entries.push_back("D " + std::to_string(n));
                if (n >= 300 && entriesAtAbort == 0) {
                    entriesAtAbort = log.entries.size();
                    sender->Abort();
                }
            };
        }

        const HttpGetResult r = get.Get(server.url(DocPath), target);

        EXPECT_FALSE(watchdogFired) << "Get kept waiting after the abort";
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.status, 404);
        EXPECT_EQ(r.reason, "Connection aborted on request");
        EXPECT_EQ(r.received > 0, !c.silentServer);
        EXPECT_LT(r.received, body.size());
        EXPECT_EQ(log.entries.size(), entriesAtAbort) << "no events after the abort";
        EXPECT_TRUE(filesInDir().isEmpty());
    }
    // The object is ready for the next get.
    log.attach(get);
    server.replies[DocPath] = okReply(body);
    EXPECT_TRUE(get.Get(server.url(DocPath), target).ok);
    EXPECT_EQ(readFile(target), body);
}

TEST_F(HttpGetTest, SecondGetWhileOneRunsIsRefused)
{
    server.replies[DocPath] = okReply(patternBody(50));
    std::vector<HttpGetResult> inner;
    get.OnHeaderData = [&](HttpGet *sender, const QString &) {
        inner.push_back(sender->Get(server.url(DocPath), dir.filePath("other")));
    };

    const HttpGetResult outer = get.Get(server.url(DocPath), target);

    EXPECT_TRUE(outer.ok) << outer.reason.toStdString();
    ASSERT_FALSE(inner.empty());
    for (const HttpGetResult &r : inner) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, "A transfer is already running");
    }
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_EQ(filesInDir(), QStringList{"vnlsetup.exe"});
}

TEST_F(HttpGetTest, HandlerExceptionStopsTheTransferAndLeavesGet)
{
    server.replies[DocPath] = okReply(patternBody(2000), 500, 5);
    get.OnDocData = [](HttpGet *, qint64) { throw std::runtime_error("handler failed"); };

    EXPECT_THROW((void)get.Get(server.url(DocPath), target), std::runtime_error);
    EXPECT_FALSE(get.busy());
    EXPECT_TRUE(filesInDir().isEmpty());
}

} // namespace
