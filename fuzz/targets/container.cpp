// The compressed container reader with both decoders, and the two block decoders on their own.
//
// Input: byte 0 picks the test, the rest is its data.
//   0, 1  the data is a container file; Tlzrw1::Decompress restores it (a failure must
//         raise ELzrw1Exception and leave no output file)
//   2     the data is one LZRW1/KH coded block, decoded from memory
//   3     the data is an LZH stream (after a 2-byte output size), decoded from memory
//   4     round trip: the data through both coders and back must come out unchanged
#include "fuzztargets.h"

#include "lzrw1.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzz_container {

namespace {

using fuzzsupport::check;

std::string scratch(const char *name)
{
    return std::string(fuzzsupport::scratchDir()) + "/" + name;
}

void writeFile(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    check(f != nullptr, "scratch file opens");
    if (size > 0)
        check(std::fwrite(data, 1, size, f) == size, "scratch file written");
    std::fclose(f);
}

std::uint32_t recordedSize(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return 0;
    return std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 | std::uint32_t(data[6]) << 16
           | std::uint32_t(data[7]) << 24;
}

void decompressFile(const std::uint8_t *data, std::size_t size)
{
    const std::string in = scratch("in.lzr");
    const std::string out = scratch("out.bin");
    writeFile(in, data, size);
    std::filesystem::remove(out);
    Tlzrw1 coder;
    coder.setInputFile(in);
    coder.setOutputFile(out);
    try {
        const std::int64_t written = coder.Decompress();
        check(written == std::int64_t(recordedSize(data, size)), "restored size is the recorded size");
        check(std::filesystem::file_size(out) == std::uintmax_t(written), "output file holds what was written");
    } catch (const ELzrw1Exception &) {
        check(!std::filesystem::exists(out), "a failed restore leaves no output file");
    }
}

void decodeBlock(const std::uint8_t *data, std::size_t size)
{
    // The coded block sits at the end of its buffer, so a read past it is caught.
    const std::vector<std::uint8_t> block(data, data + size);
    std::vector<std::uint8_t> out(TLZR::BlockSize + TLZR::DecompressSlack);
    const auto n = TLZR::decompressBlock(block.data(), block.size(), out.data(), TLZR::BlockSize);
    check(!n || *n <= TLZR::BlockSize, "decoded block fits its capacity");
}

// Everything from data[0..size) through read callbacks that hand out a few bytes at a time.
TLZH::ReadFn reader(const std::uint8_t *data, std::size_t size, std::size_t &pos)
{
    return [data, size, &pos](std::uint8_t *buf, std::size_t cap) {
        const std::size_t n = std::min({cap, size - pos, std::size_t(7)});
        std::memcpy(buf, data + pos, n);
        pos += n;
        return n;
    };
}

void decodeLzh(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return;
    const std::uint64_t wanted = data[0] | std::uint64_t(data[1]) << 8;
    std::size_t pos = 0;
    std::vector<std::uint8_t> out;
    TLZH lzh;
    const auto status = lzh.decode(
        reader(data + 2, size - 2, pos),
        [&out](const std::uint8_t *b, std::size_t n) { out.insert(out.end(), b, b + n); }, wanted);
    check(out.size() <= wanted, "LZH never writes more than asked");
    check(status != TLZH::DecodeStatus::Ok || out.size() == wanted, "LZH Ok means exactly the size");
}

void roundTrip(const std::uint8_t *data, std::size_t size)
{
    const std::size_t n = std::min(size, TLZR::BlockSize);
    std::vector<std::uint8_t> coded(n + TLZR::CompressSlack);
    TLZR lzr;
    const std::size_t len = lzr.compressBlock(data, n, coded.data());
    check(len <= n + 1, "coded block at most one byte longer");
    std::vector<std::uint8_t> back(TLZR::BlockSize + TLZR::DecompressSlack);
    const auto m = TLZR::decompressBlock(coded.data(), len, back.data(), TLZR::BlockSize);
    check(m && *m == n && std::memcmp(back.data(), data, n) == 0, "LZRW1/KH round trip");

    std::vector<std::uint8_t> stream;
    std::size_t pos = 0;
    TLZH lzh;
    lzh.encode(reader(data, size, pos),
               [&stream](const std::uint8_t *b, std::size_t k) { stream.insert(stream.end(), b, b + k); });
    std::vector<std::uint8_t> plain;
    pos = 0;
    const auto status = lzh.decode(
        reader(stream.data(), stream.size(), pos),
        [&plain](const std::uint8_t *b, std::size_t k) { plain.insert(plain.end(), b, b + k); }, size);
    check(status == TLZH::DecodeStatus::Ok && plain == std::vector<std::uint8_t>(data, data + size),
          "LZH round trip");
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t *rest = data + 1;
    const std::size_t n = size - 1;
    switch (data[0] % 5) {
    case 0:
    case 1:
        decompressFile(rest, n);
        break;
    case 2:
        decodeBlock(rest, n);
        break;
    case 3:
        decodeLzh(rest, n);
        break;
    default:
        roundTrip(rest, n);
        break;
    }
    return 0;
}

} // namespace fuzz_container
