#include "loadclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

std::int64_t nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

LoadClient::~LoadClient()
{
    close();
}

bool LoadClient::connectTo(const std::string &address, int port)
{
    close();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(port));
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
        return false;
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close();
        return false;
    }
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_peerClosed = false;
    return true;
}

void LoadClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void LoadClient::queueMessage(const std::string &message)
{
    m_out += message;
    m_out += char(0xFF);
}

void LoadClient::queueRaw(const std::string &bytes)
{
    m_out += bytes;
}

bool LoadClient::flush()
{
    while (m_fd >= 0 && m_sent < m_out.size()) {
        const ssize_t n = ::send(m_fd, m_out.data() + m_sent, m_out.size() - m_sent, MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        m_sent += std::size_t(n);
        m_totalSent += std::uint64_t(n);
    }
    if (m_sent == m_out.size()) {
        m_out.clear();
        m_sent = 0;
    }
    return m_fd >= 0;
}

void LoadClient::readAvailable(std::vector<std::string> &messages)
{
    char buf[65536];
    while (m_fd >= 0) {
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            m_peerClosed = true;
            close();
            break;
        }
        if (n < 0)
            break;
        m_in.append(buf, std::size_t(n));
    }
    std::size_t start = 0;
    for (std::size_t end; (end = m_in.find(char(0xFF), start)) != std::string::npos; start = end + 1)
        messages.emplace_back(m_in, start, end - start);
    m_in.erase(0, start);
}

std::string LoadClient::waitFor(const std::string &prefix, int timeoutMs)
{
    std::vector<LoadClient *> one{this};
    std::string found;
    pumpClients(one, timeoutMs, [&](std::size_t, const std::string &m) {
        if (m.rfind(prefix, 0) != 0)
            return false;
        found = m;
        return true;
    });
    return found;
}

bool connectAndLogIn(LoadClient &client, const std::string &address, int port, const std::string &name, bool logIn)
{
    if (!client.connectTo(address, port))
        return false;
    const std::string hello = client.waitFor("CMD_sendlogininfo+", 5000);
    if (hello.empty())
        return false;
    client.seat = std::atoi(hello.c_str() + std::string("CMD_sendlogininfo+").size());
    if (logIn) {
        client.queueMessage("CMD_logininfo+" + std::to_string(client.seat) + "+1.0.9+" + name);
        client.flush();
    }
    return client.seat > 0;
}

bool logInAsFirstSeat(LoadClient &alice, const std::string &address, int port)
{
    if (connectAndLogIn(alice, address, port, "alice") && alice.seat == 1)
        return true;
    std::printf("FAIL: alice must be seat 1 of a fresh host\n");
    return false;
}
