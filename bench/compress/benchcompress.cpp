// Speed of the LZRW1/KH coder in memory and of the file container, on one corpus file.
// Prints one tab-separated line per method: name, compress MB/s, decompress MB/s,
// compressed size in percent of the input (MB = 10^6 bytes of uncompressed data).
#include "lzrw1.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Best wall time of `repeat` runs, in seconds.
double bestOf(int repeat, const std::function<void()> &run)
{
    double best = 1e100;
    for (int i = 0; i < repeat; ++i) {
        const auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void report(const char *name, std::size_t size, double compressSeconds, double decompressSeconds,
            std::size_t packed)
{
    std::printf("%s\t%.1f\t%.1f\t%.2f\n", name, double(size) / compressSeconds / 1e6,
                double(size) / decompressSeconds / 1e6, 100.0 * double(packed) / double(size));
}

void benchMemory(const Bytes &corpus, int repeat)
{
    TLZR lzr;
    const std::size_t blocks = corpus.size() / TLZR::BlockSize + 1;
    Bytes packed(blocks * (TLZR::MaxCodedSize + TLZR::CompressSlack));
    std::vector<std::size_t> offsets(blocks + 1), lengths(blocks);
    const double c = bestOf(repeat, [&] {
        std::size_t out = 0;
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t from = b * TLZR::BlockSize;
            const std::size_t n = std::min(TLZR::BlockSize, corpus.size() - from);
            offsets[b] = out;
            lengths[b] = lzr.compressBlock(corpus.data() + from, n, packed.data() + out);
            out += lengths[b];
        }
        offsets[blocks] = out;
    });
    Bytes restored(corpus.size() + TLZR::DecompressSlack);
    bool good = true;
    const double d = bestOf(repeat, [&] {
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t from = b * TLZR::BlockSize;
            const auto n = TLZR::decompressBlock(packed.data() + offsets[b], lengths[b], restored.data() + from,
                                                 TLZR::BlockSize);
            good = good && n.has_value();
        }
    });
    if (!good || !std::equal(corpus.begin(), corpus.end(), restored.begin())) {
        std::fprintf(stderr, "bench-compress: in-memory round trip failed\n");
        std::exit(1);
    }
    report("lzrw1kh-memory", corpus.size(), c, d, offsets[blocks] + 2 * blocks + 8);
}

void benchFiles(const char *name, const std::string &corpusPath, std::size_t size, TCompressMode mode, int repeat)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path();
    const std::string packed = (dir / "bench-compress.packed").string();
    const std::string restored = (dir / "bench-compress.restored").string();
    Tlzrw1 doit;
    doit.setCompressMode(mode);
    doit.setInputFile(corpusPath);
    doit.setOutputFile(packed);
    std::int64_t packedSize = 0;
    const double c = bestOf(repeat, [&] { packedSize = doit.Compress(); });
    doit.setInputFile(packed);
    doit.setOutputFile(restored);
    const double d = bestOf(repeat, [&] { doit.Decompress(); });
    report(name, size, c, d, std::size_t(packedSize));
    fs::remove(packed);
    fs::remove(restored);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-compress CORPUS [REPEAT] [--lzh]\n");
        return 2;
    }
    const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes corpus((std::istreambuf_iterator<char>(in)), {});
    if (corpus.empty()) {
        std::fprintf(stderr, "bench-compress: cannot read %s\n", argv[1]);
        return 1;
    }
    try {
        benchMemory(corpus, repeat);
        benchFiles("lzrw1kh-file", argv[1], corpus.size(), TCompressMode::Fast, repeat);
        if (argc > 3 && std::strcmp(argv[3], "--lzh") == 0)
            benchFiles("lzh-file", argv[1], corpus.size(), TCompressMode::Good, 1);
    } catch (const ELzrw1Exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
