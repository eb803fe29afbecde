#include "codegenerator.h"

#include "tablecode.h"

#include <cerrno>
#include <stdexcept>
#include <sys/random.h>

void CodeGenerator::systemBytes(unsigned char *buffer, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::getrandom(buffer + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("getrandom failed");
        }
        done += std::size_t(n);
    }
}

int CodeGenerator::uniformIndex()
{
    constexpr int Accept = 256 - 256 % tablecode::AlphabetSize; // bytes below this are uniform
    for (;;) {
        if (m_used == sizeof m_pool) {
            m_source(m_pool, sizeof m_pool);
            m_used = 0;
        }
        const int byte = m_pool[m_used++];
        if (byte < Accept)
            return byte % tablecode::AlphabetSize;
    }
}

QByteArray CodeGenerator::next(int shard, int shards)
{
    if (shards < 1 || shard < 0 || shard >= shards || shard >= tablecode::AlphabetSize)
        throw std::invalid_argument("no such shard");
    QByteArray code(tablecode::Length, Qt::Uninitialized);
    int first = uniformIndex();
    while (first % shards != shard)
        first = uniformIndex(); // uniform over the shard's own characters
    code[0] = tablecode::Alphabet[first];
    for (int i = 1; i < tablecode::Length; ++i)
        code[i] = tablecode::Alphabet[uniformIndex()];
    return code;
}
