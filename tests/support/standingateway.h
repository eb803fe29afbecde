// StandInGateway: a home router's port-forwarding service on 127.0.0.1, on a thread of its
// own, answering the root description and the SOAP calls of a WANIPConnection service and,
// when scripted, of a WANIPv6FirewallControl service (pinholes for IPv6).
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <memory>
#include <mutex>

class StandInGateway
{
public:
    enum class Behaviour {
        Normal,
        GarbageDescription,
        GarbageAnswers,
        Silent,
        EndlessDescription,     // the description never ends, sent as fast as the reader takes it
        EndlessExternalAddress, // so does the answer to GetExternalIPAddress
        Trickle,                // every answer comes a byte at a time, ten bytes a second
        ChunkedKeptOpen         // answers in chunks and keeps the connection open after them
    };

    struct Call
    {
        QString action;              // "AddPortMapping", ...
        QMap<QString, QString> args; // "NewInternalClient" -> "127.0.0.1"
    };

    // What the router answers; set before the calls it should affect.
    struct Script
    {
        Behaviour behaviour = Behaviour::Normal;
        QString externalAddress = QStringLiteral("203.0.113.7");
        int addError = 0;                 // AddPortMapping fails with this UPnP code (0: succeeds)
        bool permanentOnly = false;       // a lease other than 0 fails with 725
        QString existingClient;           // a mapping of every port to this computer already exists
        int addDelayMs = 0;               // AddPortMapping takes effect at once but is answered this late
        QByteArray controlUrl;            // the description's controlURL (default: a path on this server)
        bool ipv6FirewallControl = false; // the description offers the IPv6 firewall service
        QByteArray pinholeControlUrl;     // that service's controlURL (default: a path on this server)
        int pinholeError = 0;             // AddPinhole fails with this UPnP code (0: succeeds)
        QByteArray pinholeAnswer;         // when set, AddPinhole is answered with this body (status 200)
    };

    // Listens on address (loopback: 127.0.0.0/8), on port when it is not 0.
    explicit StandInGateway(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost), quint16 port = 0);
    ~StandInGateway();

    void setScript(const Script &script);
    // The root description's address, for DORVANE_UPNP_ROOT_URL.
    QByteArray rootUrl() const;
    quint16 port() const;
    QList<Call> calls() const;
    QList<Call> callsOf(const QString &action) const;
    // Mappings held now: external port -> internal client.
    QMap<QString, QString> mappings() const;
    // Pinholes held now: UniqueID -> internal client.
    QMap<QString, QString> pinholes() const;

private:
    class Server;
    QThread m_thread;
    Server *m_server = nullptr;
};

namespace standin {

inline const QByteArray ServiceType = "urn:schemas-upnp-org:service:WANIPConnection:1";
inline const QByteArray FirewallServiceType = "urn:schemas-upnp-org:service:WANIPv6FirewallControl:1";

// The IPv6 firewall service's entry in a description's service list.
inline QByteArray firewallService(const QByteArray &controlUrl = "/ctl/IP6FCtl")
{
    return "<service><serviceType>" + FirewallServiceType
           + "</serviceType><serviceId>urn:upnp-org:serviceId:WANIPv6Firewall1</serviceId><controlURL>"
           + controlUrl
           + "</controlURL><eventSubURL>/evt/IP6FCtl</eventSubURL><SCPDURL>/WANIP6FC.xml</SCPDURL></service>";
}

inline QByteArray description(const QByteArray &controlUrl = "/ctl/IPConn", const QByteArray &moreServices = {})
{
    return "<?xml version=\"1.0\"?>\r\n"
           "<root "
           "xmlns=\"urn:schemas-upnp-org:device-1-0\"><specVersion><major>1</major><minor>0</minor></specVersion>"
           "<device><deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>"
           "<friendlyName>Stand-in router</friendlyName><deviceList><device>"
           "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><deviceList><device>"
           "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType><serviceList><service>"
           "<serviceType>"
           + ServiceType
           + "</serviceType>"
             "<serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId>"
             "<controlURL>"
           + controlUrl
           + "</controlURL><eventSubURL>/evt/IPConn</eventSubURL><SCPDURL>/WANIPCn.xml</"
             "SCPDURL>"
             "</service>"
           + moreServices + "</serviceList></device></deviceList></device></deviceList></device></root>\r\n";
}

inline QByteArray envelope(const QByteArray &body)
{
    return "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>"
           + body + "</s:Body></s:Envelope>\r\n";
}

inline QByteArray answer(const QString &action, const QByteArray &fields)
{
    return envelope("<u:" + action.toLatin1() + "Response xmlns:u=\"" + ServiceType + "\">" + fields
                    + "</u:" + action.toLatin1() + "Response>");
}

inline QByteArray fault(int code)
{
    return envelope("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
                    "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>"
                    + QByteArray::number(code)
                    + "</errorCode><errorDescription>Error</errorDescription>"
                      "</UPnPError></detail></s:Fault>");
}

inline QByteArray http(int status, const QByteArray &body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Internal Server Error")
           + "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nConnection: close\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace standin

// Lives on the gateway's thread; the mutex guards what the test thread reads.
class StandInGateway::Server : public QTcpServer
{
public:
    mutable std::mutex mutex;
    Script script;
    QList<Call> calls;
    QMap<QString, QString> mappings;
    QMap<QString, QString> pinholes;
    int nextPinhole = 1;

    Server()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                serve(socket);
        });
    }

private:
    void serve(QTcpSocket *socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            const qsizetype headerEnd = request.indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            static const QRegularExpression lengthPattern(QStringLiteral("(?i)content-length:\\s*(\\d+)"));
            const auto length = lengthPattern.match(QString::fromLatin1(request.left(headerEnd)));
            const qsizetype bodySize = length.hasMatch() ? length.captured(1).toLongLong() : 0;
            if (request.size() < headerEnd + 4 + bodySize)
                return;
            if (socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QByteArray head = request.left(headerEnd);
            const QByteArray reply = respond(head, request.mid(headerEnd + 4, bodySize));
            if (reply.isNull())
                return; // a silent router keeps the connection open and says nothing
            std::unique_lock lock(mutex);
            const Behaviour behaviour = script.behaviour;
            const int delayMs = head.contains("#AddPortMapping") ? script.addDelayMs : 0;
            lock.unlock();
            if (behaviour == Behaviour::EndlessDescription && head.startsWith("GET "))
                return endless(socket,
                               "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<?xml version=\"1.0\"?>"
                               "<root><device><friendlyName>",
                               'x');
            if (behaviour == Behaviour::EndlessExternalAddress && head.contains("#GetExternalIPAddress"))
                return endless(socket,
                               "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<?xml version=\"1.0\"?>"
                               "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
                               "<u:GetExternalIPAddressResponse><NewExternalIPAddress>",
                               '1');
            if (behaviour == Behaviour::Trickle)
                return trickle(socket, reply);
            if (behaviour == Behaviour::ChunkedKeptOpen) {
                const qsizetype headEnd = reply.indexOf("\r\n\r\n");
                const QByteArray body = reply.mid(headEnd + 4);
                const qsizetype half = body.size() / 2;
                socket->write("HTTP/1.1 " + reply.mid(9, 3)
                              + " X\r\nContent-Type: text/xml\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n"
                              + QByteArray::number(half, 16) + "\r\n" + body.left(half) + "\r\n"
                              + QByteArray::number(body.size() - half, 16) + "\r\n" + body.mid(half)
                              + "\r\n0\r\n\r\n");
                return;
            }
            QTimer::singleShot(delayMs, socket, [socket, reply] {
                socket->write(reply);
                socket->disconnectFromHost();
            });
        });
    }

    // Writes head, then fill for as long as the reader takes it (it ends when the reader goes).
    static void endless(QTcpSocket *socket, const QByteArray &head, char fill)
    {
        socket->write(head);
        const QByteArray block(64 * 1024, fill);
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, block] {
            if (socket->bytesToWrite() < 4 * block.size())
                socket->write(block);
        });
        socket->write(block);
    }

    // Writes reply a byte every 100 ms.
    static void trickle(QTcpSocket *socket, const QByteArray &reply)
    {
        auto *timer = new QTimer(socket);
        timer->setProperty("sent", 0);
        connect(timer, &QTimer::timeout, socket, [socket, timer, reply] {
            const int sent = timer->property("sent").toInt();
            if (sent >= reply.size()) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            socket->write(reply.mid(sent, 1));
            timer->setProperty("sent", sent + 1);
        });
        timer->start(100);
    }

    QByteArray respond(const QByteArray &head, const QByteArray &body)
    {
        std::lock_guard lock(mutex);
        if (script.behaviour == Behaviour::Silent)
            return {};
        if (head.startsWith("GET ")) {
            if (script.behaviour == Behaviour::GarbageDescription)
                return standin::http(200, QByteArray(3000, '\x7f') + "<root><<<>>>\xff\xfe");
            const QByteArray firewall = !script.ipv6FirewallControl ? QByteArray()
                                        : script.pinholeControlUrl.isEmpty()
                                            ? standin::firewallService()
                                            : standin::firewallService(script.pinholeControlUrl);
            return standin::http(200, standin::description(script.controlUrl.isEmpty() ? QByteArray("/ctl/IPConn")
                                                                                       : script.controlUrl,
                                                           firewall));
        }
        static const QRegularExpression actionPattern(QStringLiteral("(?i)soapaction:\\s*\"?[^#]*#(\\w+)"));
        const auto actionMatch = actionPattern.match(QString::fromLatin1(head));
        Call call;
        call.action = actionMatch.captured(1);
        static const QRegularExpression argPattern(QStringLiteral("<(\\w+)>([^<]*)</\\1>"));
        for (auto it = argPattern.globalMatch(QString::fromUtf8(body)); it.hasNext();) {
            const auto m = it.next();
            call.args.insert(m.captured(1), m.captured(2));
        }
        calls.append(call);
        if (script.behaviour == Behaviour::GarbageAnswers)
            return standin::http(200, "\x01\x02 not xml at all <<<" + QByteArray(5000, 'z'));
        return http200or500(call);
    }

    QByteArray http200or500(const Call &call)
    {
        const QString port = call.args.value(QStringLiteral("NewExternalPort"));
        if (call.action == QLatin1String("GetExternalIPAddress"))
            return standin::http(200, standin::answer(call.action, "<NewExternalIPAddress>"
                                                                       + script.externalAddress.toUtf8()
                                                                       + "</NewExternalIPAddress>"));
        if (call.action == QLatin1String("GetSpecificPortMappingEntry")) {
            const QString client = !script.existingClient.isEmpty() ? script.existingClient : mappings.value(port);
            if (client.isEmpty())
                return standin::http(500, standin::fault(714));
            return standin::http(
                200, standin::answer(call.action,
                                     "<NewInternalPort>" + port.toLatin1()
                                         + "</NewInternalPort>"
                                           "<NewInternalClient>"
                                         + client.toLatin1()
                                         + "</NewInternalClient>"
                                           "<NewEnabled>1</NewEnabled><NewPortMappingDescription>x"
                                           "</NewPortMappingDescription><NewLeaseDuration>0</NewLeaseDuration>"));
        }
        if (call.action == QLatin1String("AddPortMapping")) {
            if (script.addError)
                return standin::http(500, standin::fault(script.addError));
            if (script.permanentOnly && call.args.value(QStringLiteral("NewLeaseDuration")) != QLatin1String("0"))
                return standin::http(500, standin::fault(725));
            mappings.insert(port, call.args.value(QStringLiteral("NewInternalClient")));
            return standin::http(200, standin::answer(call.action, {}));
        }
        if (call.action == QLatin1String("DeletePortMapping")) {
            if (!mappings.remove(port))
                return standin::http(500, standin::fault(714));
            return standin::http(200, standin::answer(call.action, {}));
        }
        return pinholeAnswer(call);
    }

    QByteArray pinholeAnswer(const Call &call)
    {
        const QString id = call.args.value(QStringLiteral("UniqueID"));
        if (!script.ipv6FirewallControl)
            return standin::http(500, standin::fault(401));
        if (call.action == QLatin1String("AddPinhole")) {
            if (!script.pinholeAnswer.isEmpty())
                return standin::http(200, script.pinholeAnswer);
            if (script.pinholeError)
                return standin::http(500, standin::fault(script.pinholeError));
            const QString made = QString::number(nextPinhole++);
            pinholes.insert(made, call.args.value(QStringLiteral("InternalClient")));
            return standin::http(200,
                                 standin::answer(call.action, "<UniqueID>" + made.toLatin1() + "</UniqueID>"));
        }
        if (call.action == QLatin1String("UpdatePinhole") || call.action == QLatin1String("DeletePinhole")) {
            if (!pinholes.contains(id))
                return standin::http(500, standin::fault(704));
            if (call.action == QLatin1String("DeletePinhole"))
                pinholes.remove(id);
            return standin::http(200, standin::answer(call.action, {}));
        }
        return standin::http(500, standin::fault(401));
    }
};

inline StandInGateway::StandInGateway(const QHostAddress &address, quint16 port)
{
    m_server = new Server;
    m_server->listen(address, port);
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

inline StandInGateway::~StandInGateway()
{
    m_thread.quit();
    m_thread.wait();
}

inline void StandInGateway::setScript(const Script &script)
{
    std::lock_guard lock(m_server->mutex);
    m_server->script = script;
}

inline QByteArray StandInGateway::rootUrl() const
{
    return "http://" + m_server->serverAddress().toString().toLatin1() + ":"
           + QByteArray::number(m_server->serverPort()) + "/rootDesc.xml";
}

inline quint16 StandInGateway::port() const
{
    return m_server->serverPort();
}

inline QList<StandInGateway::Call> StandInGateway::calls() const
{
    std::lock_guard lock(m_server->mutex);
    return m_server->calls;
}

inline QList<StandInGateway::Call> StandInGateway::callsOf(const QString &action) const
{
    QList<Call> matching;
    for (const Call &call : calls()) {
        if (call.action == action)
            matching.append(call);
    }
    return matching;
}

inline QMap<QString, QString> StandInGateway::mappings() const
{
    std::lock_guard lock(m_server->mutex);
    return m_server->mappings;
}

inline QMap<QString, QString> StandInGateway::pinholes() const
{
    std::lock_guard lock(m_server->mutex);
    return m_server->pinholes;
}
