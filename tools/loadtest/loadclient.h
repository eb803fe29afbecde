#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

// Microseconds on the steady clock, the time stamp carried inside chat lines.
std::int64_t nowMicros();

// One protocol connection: frames outgoing messages with 0xFF, buffers what the kernel
// does not take yet, and cuts incoming bytes into messages.
class LoadClient
{
public:
    LoadClient() = default;
    ~LoadClient();
    LoadClient(const LoadClient &) = delete;
    LoadClient &operator=(const LoadClient &) = delete;

    bool connectTo(const std::string &address, int port);
    void close();
    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    bool peerClosed() const { return m_peerClosed; }

    // Queues one message and its terminator; flush() hands it to the kernel.
    void queueMessage(const std::string &message);
    // Queues bytes exactly as given (no terminator): half messages and floods.
    void queueRaw(const std::string &bytes);
    bool hasPendingOutput() const { return m_sent < m_out.size(); }
    // Writes as much pending output as the socket takes without blocking; false on error.
    bool flush();
    // Reads what is available without blocking and appends each complete message.
    void readAvailable(std::vector<std::string> &messages);
    std::uint64_t bytesSent() const { return m_totalSent; }

    // Reads until a message starting with `prefix` arrives; returns it, or "" on timeout.
    std::string waitFor(const std::string &prefix, int timeoutMs);

    int seat = 0;

private:
    int m_fd = -1;
    bool m_peerClosed = false;
    std::string m_in;
    std::string m_out;
    std::size_t m_sent = 0;
    std::uint64_t m_totalSent = 0;
};

// Connects, reads "CMD_sendlogininfo+N" and answers with the log-in; false on failure.
bool connectAndLogIn(LoadClient &client, const std::string &address, int port, const std::string &name,
                     bool logIn = true);

// Logs in as "alice", who must get seat 1 (the first connection to a fresh host); prints the
// FAIL line and returns false otherwise.
bool logInAsFirstSeat(LoadClient &alice, const std::string &address, int port);

// Polls the clients for `timeoutMs`, handing every message to `onMessage(index, message)`,
// which returns true to stop early. Flushes pending output on the way.
template <class F>
bool pumpClients(std::vector<LoadClient *> &clients, int timeoutMs, F onMessage);

#include "loadclient_pump.h"
