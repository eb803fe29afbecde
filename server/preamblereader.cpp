#include "preamblereader.h"

#include <cstring>

PreambleReader::Status PreambleReader::feed(const char *data, qsizetype size)
{
    if (m_status != Status::NeedMore || size <= 0)
        return m_status;
    const auto *end = static_cast<const char *>(std::memchr(data, char(0xFF), std::size_t(size)));
    const qsizetype upTo = end ? qsizetype(end - data) : size;
    // Without its terminator yet, the message needs one byte more than it has.
    if (m_bytes.size() + upTo + 1 > protocol::MaxPreambleBytes) {
        m_status = Status::TooLong;
        m_bytes.clear();
        return m_status;
    }
    m_bytes.append(data, upTo);
    if (!end)
        return m_status;
    m_line = m_bytes;
    m_bytes.clear();
    m_rest = QByteArray(end + 1, size - upTo - 1);
    m_status = Status::Complete;
    return m_status;
}

void PreambleReader::clear()
{
    m_bytes = QByteArray();
    m_line = QByteArray();
    m_rest = QByteArray();
}
