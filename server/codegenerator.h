// CodeGenerator: new table codes from a cryptographic random source.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <functional>

// Each character is drawn uniformly from the code alphabet: a random byte is used only
// when it falls below the largest multiple of the alphabet's size (rejection sampling), so
// no character is likelier than another. A shard's codes are those whose first character
// stands at a position congruent to the shard modulo the number of shards.
class CodeGenerator
{
public:
    // Fills the buffer with random bytes; throws std::runtime_error when it cannot.
    using ByteSource = std::function<void(unsigned char *, std::size_t)>;

    // The system's cryptographic source (getrandom).
    static void systemBytes(unsigned char *buffer, std::size_t size);

    explicit CodeGenerator(ByteSource source = systemBytes)
        : m_source(std::move(source))
    {
    }

    // A new code of eight characters (no dash) of the given shard.
    QByteArray next(int shard = 0, int shards = 1);

private:
    int uniformIndex();

    ByteSource m_source;
    unsigned char m_pool[64] = {};
    std::size_t m_used = sizeof m_pool;
};
