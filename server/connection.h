// Connection: one accepted socket of the table server — its stage, its peer's address key
// and the bytes it has not taken yet.
#pragma once

#include "addresskey.h"
#include "preamblereader.h"

#include <QByteArray>

class Connection
{
public:
    enum class Stage {
        Preamble, // waiting for the first message
        Seated,   // holds an entry at a table
    };

    Connection(int fd, const AddressKey &key);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    int fd() const { return m_fd; }
    const AddressKey &key() const { return m_key; }

    Stage stage = Stage::Preamble;
    PreambleReader preamble;
    quint64 tableId = 0; // Seated: the table and the entry held there
    int entry = 0;
    bool watchingWrites = false; // the loop reports when the socket takes more

    // Sends bytes after anything still queued; what the socket does not take now waits.
    // Returns how many more bytes wait than before, or -1 when the socket failed.
    qsizetype write(const char *data, qsizetype size);
    // Sends what waits, as far as the socket takes it. Returns how many fewer bytes wait,
    // or -1 when the socket failed. A drained queue gives its memory back.
    qsizetype flush();
    qsizetype unsent() const { return m_out.size() - m_sent; }

private:
    qsizetype sendSome(const char *data, qsizetype size);

    int m_fd;
    AddressKey m_key;
    QByteArray m_out;
    qsizetype m_sent = 0; // bytes at the front of m_out already sent
};
