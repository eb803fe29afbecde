// BoundedHttp: one HTTP/1.1 request to a numeric IPv4 address on the local network, with a cap
// on the answer's size and on the whole exchange's time. Blocking: for the router program only.
#pragma once

#include <QByteArray>
#include <QString>

struct HttpAnswer
{
    int status = 0;       // the HTTP status; 0 when no complete answer came
    QByteArray body;      // the answer's body, chunked transfer already undone
    QString problem;      // why there is no answer, as the end of a sentence; empty when there is
    QString localAddress; // this computer's address on the connection (dotted IPv4)
};

class BoundedHttp
{
public:
    static constexpr qsizetype MaxAnswerBytes = 256 * 1024; // a router's description is a few kB
    static constexpr int DeadlineMs = 4000;                 // for the whole exchange

    // GET url. Only http:// addresses whose host is a dotted IPv4 address are fetched: a name
    // would need a lookup of unbounded time.
    static HttpAnswer get(const QByteArray &url, int deadlineMs = DeadlineMs, qsizetype maxBytes = MaxAnswerBytes);
    // POST body to url as a SOAP request for action ("service#Action").
    static HttpAnswer post(const QByteArray &url, const QByteArray &action, const QByteArray &body,
                           int deadlineMs = DeadlineMs, qsizetype maxBytes = MaxAnswerBytes);

    // Splits a complete answer (head and body) into its status and body; false when it is not one.
    static bool parse(const QByteArray &raw, HttpAnswer &answer);
    // Undoes chunked transfer coding; false when the chunks are broken.
    static bool unchunk(const QByteArray &chunked, QByteArray &body);

private:
    static HttpAnswer exchange(const QByteArray &url, const QByteArray &method, const QByteArray &headers,
                               const QByteArray &body, int deadlineMs, qsizetype maxBytes);
};
