// PreambleReader: collects a new connection's first message, however its bytes trickle in.
#pragma once

#include "tablepreamble.h"

#include <QByteArray>

class PreambleReader
{
public:
    enum class Status {
        NeedMore, // no terminator yet, and room for one
        Complete, // line() holds the message, rest() what came after it
        TooLong,  // no terminator within the longest first message
    };

    // Takes the bytes that arrived; once Complete or TooLong, further bytes are ignored.
    Status feed(const char *data, qsizetype size);
    Status status() const { return m_status; }
    // The first message without its terminator (Complete only).
    const QByteArray &line() const { return m_line; }
    // What followed the first message in the same reads (Complete only).
    const QByteArray &rest() const { return m_rest; }
    // Gives the memory back once the connection has moved on.
    void clear();

private:
    QByteArray m_bytes;
    QByteArray m_line;
    QByteArray m_rest;
    Status m_status = Status::NeedMore;
};
