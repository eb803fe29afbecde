// Compressed file container over the LZRW1/KH and LZH coders.
#include "lzrw1.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr char MagicFast[4] = {'W', 'R', 'Z', 'L'};
constexpr char MagicGood[4] = {'!', 'H', 'Z', 'L'};
constexpr std::size_t BlockSize = TLZR::BlockSize;
// A block's coded length is a 16-bit field, so a damaged file may announce up to 65,535.
constexpr std::size_t MaxFieldLength = 0xFFFF;
constexpr std::int64_t AdviseMinSize = 98304;

struct FileCloser
{
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void putLe32(std::uint8_t *d, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getLe32(const std::uint8_t *s)
{
    return std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 | std::uint32_t(s[2]) << 16 | std::uint32_t(s[3]) << 24;
}

std::vector<std::uint8_t> allocate(std::size_t n, const char *failure)
{
    try {
        return std::vector<std::uint8_t>(n);
    } catch (const std::bad_alloc &) {
        throw ELzrw1Exception(failure);
    }
}

const char *const BufferFailure = "Lzrw1 (de)compression : Failed to get memory for I/O buffers !";

} // namespace

// The output file of one operation: closed and deleted unless the operation completes.
class Tlzrw1::Output
{
public:
    Output(const std::string &name, const std::string &inputName)
        : m_name(name)
    {
        std::error_code ec;
        if (std::filesystem::equivalent(name, inputName, ec))
            fail(); // creating it would destroy the input before it is read
        m_file = std::fopen(name.c_str(), "wb");
        if (m_file == nullptr)
            fail();
    }
    ~Output()
    {
        if (m_file != nullptr) {
            std::fclose(m_file);
            std::remove(m_name.c_str());
        }
    }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    void write(const void *data, std::size_t n)
    {
        if (n > 0 && std::fwrite(data, 1, n, m_file) != n)
            throw ELzrw1Exception("Lzrw1 : Error writing to output file : " + m_name);
    }

    // Closes the file for good; a failing flush is a failed write (and deletes the file).
    void commit()
    {
        const bool flushed = std::fflush(m_file) == 0;
        if (!flushed)
            throw ELzrw1Exception("Lzrw1 : Error writing to output file : " + m_name);
        std::FILE *f = m_file;
        m_file = nullptr;
        if (std::fclose(f) != 0) {
            std::remove(m_name.c_str());
            throw ELzrw1Exception("Lzrw1 : Error writing to output file : " + m_name);
        }
    }

private:
    [[noreturn]] void fail()
    {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open output file : " + m_name);
    }

    std::string m_name;
    std::FILE *m_file = nullptr;
};

std::int64_t Tlzrw1::Compress()
{
    TCompressMode mode = m_compressMode;
    if (mode == TCompressMode::Auto)
        mode = Advise() ? TCompressMode::Fast : TCompressMode::Good;

    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(m_inputFile, ec);
    // The container records the size in 32 bits; a larger file could never be restored.
    if (ec || size > 0xFFFFFFFFu)
        throw ELzrw1Exception("Lzrw1 compression : Failed to obtain the size of : " + m_inputFile);
    FilePtr in(std::fopen(m_inputFile.c_str(), "rb"));
    if (!in)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " + m_inputFile);
    Output out(m_outputFile, m_inputFile);

    std::uint8_t header[8];
    std::memcpy(header, mode == TCompressMode::Fast ? MagicFast : MagicGood, 4);
    putLe32(header + 4, static_cast<std::uint32_t>(size));
    out.write(header, sizeof header);
    const std::int64_t payload =
        mode == TCompressMode::Fast ? compressBlocks(in.get(), out, size) : compressLzh(in.get(), out, size);
    out.commit();
    return std::int64_t(sizeof header) + payload;
}

// Codes 32 KiB blocks until a short one. An input that turns out longer or shorter than
// the recorded size (it changed meanwhile) is a failed read: the file could not be restored.
std::int64_t Tlzrw1::compressBlocks(std::FILE *in, Output &out, std::uintmax_t size)
{
    std::vector<std::uint8_t> inBuf = allocate(BlockSize, BufferFailure);
    std::vector<std::uint8_t> outBuf = allocate(2 + BlockSize + TLZR::CompressSlack, BufferFailure);
    std::int64_t total = 0;
    std::uintmax_t consumed = 0;
    for (;;) {
        const std::size_t n = std::fread(inBuf.data(), 1, BlockSize, in);
        consumed += n;
        const bool ended = n < BlockSize;
        if ((ended && (std::ferror(in) || consumed != size)) || consumed > size)
            throw ELzrw1Exception(compressReadFailure());
        const std::size_t coded = m_lzr.compressBlock(inBuf.data(), n, outBuf.data() + 2);
        outBuf[0] = static_cast<std::uint8_t>(coded);
        outBuf[1] = static_cast<std::uint8_t>(coded >> 8);
        out.write(outBuf.data(), coded + 2);
        total += std::int64_t(coded + 2);
        if (n < BlockSize)
            return total;
    }
}

std::int64_t Tlzrw1::compressLzh(std::FILE *in, Output &out, std::uintmax_t size)
{
    std::uintmax_t consumed = 0;
    auto read = [&](std::uint8_t *buf, std::size_t cap) {
        const std::size_t n = std::fread(buf, 1, cap, in);
        consumed += n;
        if ((n < cap && std::ferror(in)) || consumed > size || (n == 0 && consumed != size))
            throw ELzrw1Exception(compressReadFailure());
        return n;
    };
    auto write = [&](const std::uint8_t *buf, std::size_t n) { out.write(buf, n); };
    return std::int64_t(m_lzh.encode(read, write));
}

std::string Tlzrw1::compressReadFailure() const
{
    return "Lzrw1 : Error reading from input file : " + m_inputFile + " (LZRW1/KH)";
}

std::int64_t Tlzrw1::Decompress()
{
    FilePtr in(std::fopen(m_inputFile.c_str(), "rb"));
    if (!in)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to open input file : " + m_inputFile);
    Output out(m_outputFile, m_inputFile);

    std::uint8_t header[8];
    readExactly(in.get(), header, 4);
    const bool fast = std::memcmp(header, MagicFast, 4) == 0;
    if (!fast && std::memcmp(header, MagicGood, 4) != 0)
        throw ELzrw1Exception(m_inputFile + " : Lzrw1 decompression : this file has no valid header !");
    readExactly(in.get(), header + 4, 4);
    const std::uint32_t size = getLe32(header + 4);
    const std::int64_t written = fast ? decompressBlocks(in.get(), out, size) : decompressLzh(in.get(), out, size);
    out.commit();
    return written;
}

// Reads blocks until one decodes to less than a full block. A damaged block, or output
// beyond the recorded size, is reported as the size mismatch it would end in.
std::int64_t Tlzrw1::decompressBlocks(std::FILE *in, Output &out, std::uint32_t size)
{
    std::vector<std::uint8_t> inBuf = allocate(MaxFieldLength, BufferFailure);
    std::vector<std::uint8_t> outBuf = allocate(BlockSize + TLZR::DecompressSlack, BufferFailure);
    const char *const mismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    std::int64_t written = 0;
    for (;;) {
        std::uint8_t field[2];
        readExactly(in, field, 2);
        const std::size_t length = field[0] | std::size_t(field[1]) << 8;
        readExactly(in, inBuf.data(), length);
        const auto n = TLZR::decompressBlock(inBuf.data(), length, outBuf.data(), BlockSize);
        if (!n || written + std::int64_t(*n) > std::int64_t(size))
            throw ELzrw1Exception(mismatch);
        out.write(outBuf.data(), *n);
        written += std::int64_t(*n);
        if (*n < BlockSize)
            break;
    }
    if (written != std::int64_t(size))
        throw ELzrw1Exception(mismatch);
    return written;
}

std::int64_t Tlzrw1::decompressLzh(std::FILE *in, Output &out, std::uint32_t size)
{
    const std::string readFailure = "Lzrw1 : Error reading from input file : " + m_inputFile + " (LZH)";
    auto read = [&](std::uint8_t *buf, std::size_t cap) {
        const std::size_t n = std::fread(buf, 1, cap, in);
        if (n < cap && std::ferror(in))
            throw ELzrw1Exception(readFailure);
        return n;
    };
    std::int64_t written = 0;
    auto write = [&](const std::uint8_t *buf, std::size_t n) {
        out.write(buf, n);
        written += std::int64_t(n);
    };
    switch (m_lzh.decode(read, write, size)) {
    case TLZH::DecodeStatus::Ok:
        break;
    case TLZH::DecodeStatus::InputEnded:
        throw ELzrw1Exception(readFailure);
    case TLZH::DecodeStatus::Overrun:
        throw ELzrw1Exception("Lzrw1 (LZH decompression) : Original and compressed sizes do not match !");
    }
    return written;
}

void Tlzrw1::readExactly(std::FILE *in, void *buf, std::size_t n)
{
    if (n > 0 && std::fread(buf, 1, n, in) != n)
        throw ELzrw1Exception("Lzrw1 : Error reading from input file : " + m_inputFile);
}

bool Tlzrw1::Advise()
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(m_inputFile, ec);
    if (ec)
        throw ELzrw1Exception("Lzrw1 advise : can not get the size of : " + m_inputFile);
    if (size < std::uintmax_t(AdviseMinSize)) {
        m_compressMode = TCompressMode::Good;
        return false;
    }
    std::vector<std::uint8_t> inBuf = allocate(BlockSize, "Lzrw1 advise : Error getting I/O buffers");
    std::vector<std::uint8_t> outBuf =
        allocate(BlockSize + TLZR::CompressSlack, "Lzrw1 advise : Error getting I/O buffers");
    FilePtr in(std::fopen(m_inputFile.c_str(), "rb"));
    if (!in)
        throw ELzrw1Exception("Lzrw1 advise : can open input file : " + m_inputFile);
    const auto fileSize = std::int64_t(size);
    std::int64_t coded = 0;
    std::int64_t sampled = sampleAt(in.get(), fileSize / 3, inBuf.data(), outBuf.data(), coded);
    sampled += sampleAt(in.get(), fileSize * 2 / 3, inBuf.data(), outBuf.data(), coded);
    return coded < sampled * m_threshold / 100;
}

// Codes the block at offset (rounded down to a block boundary) and adds its coded length
// to `coded`; returns the bytes read.
std::int64_t Tlzrw1::sampleAt(std::FILE *in, std::int64_t offset, std::uint8_t *inBuf, std::uint8_t *outBuf,
                              std::int64_t &coded)
{
    offset -= offset % std::int64_t(BlockSize);
    if (fseeko(in, off_t(offset), SEEK_SET) != 0 || std::fread(inBuf, 1, BlockSize, in) != BlockSize)
        throw ELzrw1Exception("Lzrw1 advise : read error on input file : " + m_inputFile);
    coded += std::int64_t(m_lzr.compressBlock(inBuf, BlockSize, outBuf));
    return std::int64_t(BlockSize);
}
