// Compressed file container: the shared vectors, block edges, Auto, failures, damaged files.
#include "lzrw1.h"

#include "testbytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

const fs::path DataDir = fs::path(DORVANE_TEST_DATA) / "compress";

Bytes readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path &path, const Bytes &data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
}

struct ManifestRow
{
    std::string file, expect, plain;
};

std::vector<ManifestRow> manifest()
{
    std::vector<ManifestRow> rows;
    std::ifstream in(DataDir / "manifest.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        ManifestRow row;
        std::getline(fields, row.file, '\t');
        std::getline(fields, row.expect, '\t');
        std::getline(fields, row.plain, '\t');
        rows.push_back(row);
    }
    return rows;
}

std::string readFailure(const fs::path &in)
{
    return "Lzrw1 : Error reading from input file : " + in.string();
}
const std::string SizeMismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";

class Lzrw1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path()
                / ("dorvane_compress_" + std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path tmp(const std::string &name) const { return m_dir / name; }

    std::int64_t compress(const fs::path &in, const fs::path &out, TCompressMode mode)
    {
        m_doit.setCompressMode(mode);
        m_doit.setInputFile(in.string());
        m_doit.setOutputFile(out.string());
        return m_doit.Compress();
    }
    std::int64_t decompress(const fs::path &in, const fs::path &out)
    {
        m_doit.setInputFile(in.string());
        m_doit.setOutputFile(out.string());
        return m_doit.Decompress();
    }
    // The text of the exception, or "" when the operation succeeded.
    template <typename Op>
    std::string failureOf(Op op)
    {
        try {
            op();
        } catch (const ELzrw1Exception &e) {
            return e.what();
        }
        return {};
    }
    std::string magicOf(const fs::path &file) const
    {
        const Bytes b = readFile(file);
        return std::string(b.begin(), b.begin() + std::min<std::ptrdiff_t>(4, std::ptrdiff_t(b.size())));
    }

    fs::path m_dir;
    Tlzrw1 m_doit;
};

TEST_F(Lzrw1Test, DecompressesEveryGoodVector)
{
    int checked = 0;
    for (const ManifestRow &row : manifest()) {
        if (row.expect != "ok")
            continue;
        const fs::path out = tmp("out.bin");
        const Bytes plain = readFile(DataDir / row.plain);
        EXPECT_EQ(decompress(DataDir / row.file, out), std::int64_t(plain.size())) << row.file;
        EXPECT_EQ(readFile(out), plain) << row.file;
        ++checked;
    }
    EXPECT_EQ(checked, 16);
}

TEST_F(Lzrw1Test, CompressWritesEveryVectorByteForByte)
{
    int checked = 0;
    for (const ManifestRow &row : manifest()) {
        if (row.expect != "ok")
            continue;
        const bool fast = fs::path(row.file).extension() == ".wrzl";
        const fs::path out = tmp("out.cmp");
        const Bytes expected = readFile(DataDir / row.file);
        EXPECT_EQ(compress(DataDir / row.plain, out, fast ? TCompressMode::Fast : TCompressMode::Good),
                  std::int64_t(expected.size()))
            << row.file;
        EXPECT_EQ(readFile(out), expected) << row.file;
        ++checked;
    }
    EXPECT_EQ(checked, 16);
}

TEST_F(Lzrw1Test, BadVectorsFailWithTheirTextAndLeaveNoOutput)
{
    int checked = 0;
    for (const ManifestRow &row : manifest()) {
        const fs::path in = DataDir / row.file;
        std::string expected;
        if (row.expect == "err_header")
            expected = in.string() + " : Lzrw1 decompression : this file has no valid header !";
        else if (row.expect == "err_size")
            expected = SizeMismatch;
        else if (row.expect == "err_read")
            expected = readFailure(in);
        else
            continue;
        const fs::path out = tmp("out.bin");
        writeFile(out, {'o', 'l', 'd'}); // an existing output goes too
        EXPECT_EQ(failureOf([&] { decompress(in, out); }), expected) << row.file;
        EXPECT_FALSE(fs::exists(out)) << row.file;
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

TEST_F(Lzrw1Test, RoundTripsAtBlockEdges)
{
    for (std::size_t n : {0, 1, 2, 3, 32767, 32768, 32769, 65536, 100000}) {
        const std::vector<std::pair<const char *, Bytes>> inputs = {
            {"text", testbytes::text(n, std::uint32_t(n))},
            {"random", testbytes::random(n, std::uint32_t(n))},
            {"one long run", Bytes(n, 'r')}};
        for (const auto &[kind, data] : inputs) {
            for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
                const std::string label = std::string(kind) + " of " + std::to_string(n)
                                          + (mode == TCompressMode::Fast ? " fast" : " good");
                writeFile(tmp("plain"), data);
                const std::int64_t size = compress(tmp("plain"), tmp("packed"), mode);
                EXPECT_EQ(size, std::int64_t(fs::file_size(tmp("packed")))) << label;
                EXPECT_EQ(decompress(tmp("packed"), tmp("back")), std::int64_t(n)) << label;
                EXPECT_EQ(readFile(tmp("back")), data) << label;
            }
        }
    }
}

TEST_F(Lzrw1Test, BlockLayoutOfFullBlocks)
{
    // Full blocks are followed by an empty one; random data is stored (L = n + 1).
    struct Case
    {
        std::size_t n;
        std::int64_t size;
    };
    for (const Case &c :
         {Case{0, 11}, Case{32768, 8 + 32771 + 3}, Case{65536, 8 + 2 * 32771 + 3}, Case{32769, 8 + 32771 + 4}}) {
        writeFile(tmp("plain"), testbytes::random(c.n, 99));
        EXPECT_EQ(compress(tmp("plain"), tmp("packed"), TCompressMode::Fast), c.size) << c.n;
        const Bytes packed = readFile(tmp("packed"));
        EXPECT_EQ(packed[packed.size() - (c.n % 32768 == 0 ? 1 : 2)], 0x80) << c.n;
    }
}

TEST_F(Lzrw1Test, AutoChoosesByInputSizeAndSample)
{
    struct Case
    {
        const char *name;
        Bytes data;
        int threshold;
        const char *magic;
    };
    const std::vector<Case> cases = {
        {"small input gets LZH", testbytes::text(98303, 1), 40, "!HZL"},
        {"compressible large input gets LZRW1/KH", testbytes::text(98304, 1), 40, "WRZL"},
        {"incompressible large input gets LZH", testbytes::random(200000, 4), 40, "!HZL"},
        {"a strict threshold gets LZH", testbytes::text(200000, 1), 1, "!HZL"},
        {"runs at the sampled thirds only",
         [] {
             Bytes b = testbytes::random(3 * 32768 + 10, 5);
             std::fill(b.begin() + 32768, b.begin() + 3 * 32768, 'x');
             return b;
         }(),
         40, "WRZL"},
    };
    for (const Case &c : cases) {
        writeFile(tmp("plain"), c.data);
        m_doit.setThreshold(c.threshold);
        compress(tmp("plain"), tmp("packed"), TCompressMode::Auto);
        EXPECT_EQ(magicOf(tmp("packed")), c.magic) << c.name;
        decompress(tmp("packed"), tmp("back"));
        EXPECT_EQ(readFile(tmp("back")), c.data) << c.name;
    }
    writeFile(tmp("plain"), testbytes::text(1000, 1));
    compress(tmp("plain"), tmp("packed"), TCompressMode::Auto);
    EXPECT_EQ(m_doit.CompressMode(), TCompressMode::Good);
}

TEST_F(Lzrw1Test, MissingOrUnusableFilesFailWithTheirTexts)
{
    const fs::path missing = tmp("missing.tld");
    const fs::path out = tmp("out");
    writeFile(tmp("plain"), testbytes::text(100, 1));
    struct Case
    {
        const char *name;
        std::function<void()> op;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"compress a missing file", [&] { compress(missing, out, TCompressMode::Fast); },
         "Lzrw1 compression : Failed to obtain the size of : " + missing.string()},
        {"auto on a missing file", [&] { compress(missing, out, TCompressMode::Auto); },
         "Lzrw1 advise : can not get the size of : " + missing.string()},
        {"decompress a missing file", [&] { decompress(missing, out); },
         "Lzrw1 (de)compression : Failed to open input file : " + missing.string()},
        {"output in a missing folder", [&] { compress(tmp("plain"), tmp("no/such/dir"), TCompressMode::Fast); },
         "Lzrw1 (de)compression : Failed to open output file : " + tmp("no/such/dir").string()},
        // Creating the output would empty the input before it is read.
        {"output is the input", [&] { compress(tmp("plain"), tmp("plain"), TCompressMode::Fast); },
         "Lzrw1 (de)compression : Failed to open output file : " + tmp("plain").string()},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(failureOf(c.op), c.text) << c.name;
        EXPECT_FALSE(fs::exists(out)) << c.name;
    }
    EXPECT_EQ(readFile(tmp("plain")), testbytes::text(100, 1));
}

TEST_F(Lzrw1Test, InputOfAnotherLengthThanItsSizeIsAFailedRead)
{
    // A /proc file reports size 0 but has content, like a file that grew while it was read;
    // its container would record the wrong size and could never be restored.
    const fs::path in = "/proc/self/status";
    for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        EXPECT_EQ(failureOf([&] { compress(in, tmp("out"), mode); }),
                  "Lzrw1 : Error reading from input file : " + in.string() + " (LZRW1/KH)");
        EXPECT_FALSE(fs::exists(tmp("out")));
    }
}

TEST_F(Lzrw1Test, DamagedContainersFailWithTheirTexts)
{
    const Bytes small = readFile(DataDir / "tally_small.wrzl");
    const Bytes lzh = readFile(DataDir / "tally_small.hzl");
    Bytes lzhTooShort = lzh;
    lzhTooShort[4] = 200; // the stream ends before 200 bytes are produced
    Bytes badCopy = readFile(DataDir / "equal20.wrzl");
    badCopy[10] = 0x40; // first item becomes a copy from before the block start
    badCopy[11] = 0x80;
    badCopy[12] = 0x00;
    badCopy[13] = 0x00;
    badCopy[14] = 0x10;
    const fs::path in = tmp("damaged");
    const std::string lzhRead = readFailure(in) + " (LZH)";
    struct Case
    {
        const char *name;
        Bytes data;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"empty file", {}, readFailure(in)},
        {"magic cut short", {'W', 'R'}, readFailure(in)},
        {"size field cut short", {'W', 'R', 'Z', 'L', 0}, readFailure(in)},
        {"no block after the header", {'W', 'R', 'Z', 'L', 0, 0, 0, 0}, readFailure(in)},
        {"block length cut short", Bytes(small.begin(), small.begin() + 9), readFailure(in)},
        {"block cut short", Bytes(small.begin(), small.end() - 1), readFailure(in)},
        {"copy from before the block", badCopy, SizeMismatch},
        {"a full block but a smaller size",
         [] {
             Bytes b = {'W', 'R', 'Z', 'L', 10, 0, 0, 0, 0x01, 0x80, 0x80}; // size 10, L = 32769
             b.resize(b.size() + 32768, 'x');
             return b;
         }(),
         SizeMismatch},
        {"LZH stream shorter than its size", lzhTooShort, lzhRead},
        {"LZH stream missing", Bytes(lzh.begin(), lzh.begin() + 8 + 3), lzhRead},
    };
    for (const Case &c : cases) {
        writeFile(in, c.data);
        EXPECT_EQ(failureOf([&] { decompress(in, tmp("out")); }), c.text) << c.name;
        EXPECT_FALSE(fs::exists(tmp("out"))) << c.name;
    }
}

TEST_F(Lzrw1Test, DataAfterTheLastBlockIsIgnored)
{
    Bytes packed = readFile(DataDir / "tally_small.wrzl");
    packed.insert(packed.end(), {1, 2, 3, 4, 5});
    writeFile(tmp("packed"), packed);
    decompress(tmp("packed"), tmp("out"));
    EXPECT_EQ(readFile(tmp("out")), readFile(DataDir / "tally_small.txt"));
}

TEST_F(Lzrw1Test, RandomDamageNeverCrashesAndNeverLeavesOutputOnFailure)
{
    std::mt19937 rng(2024);
    const fs::path in = tmp("damaged");
    const fs::path out = tmp("out");
    int failures = 0, total = 0;
    for (const char *name : {"text100k.wrzl", "tally_small.wrzl", "equal5000.wrzl", "text100k.hzl", "indented.hzl",
                             "random40k.hzl"}) {
        const Bytes good = readFile(DataDir / name);
        const std::set<std::string> allowed = {
            readFailure(in), readFailure(in) + " (LZH)", SizeMismatch,
            "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !",
            in.string() + " : Lzrw1 decompression : this file has no valid header !"};
        for (int round = 0; round < 70; ++round) {
            Bytes bad = good;
            if (round % 3 == 0) {
                bad.resize(rng() % bad.size());
            } else {
                for (unsigned flips = 1 + rng() % 4; flips > 0; --flips)
                    bad[rng() % bad.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
            }
            writeFile(in, bad);
            const std::string text = failureOf([&] { decompress(in, out); });
            ++total;
            if (text.empty()) {
                EXPECT_TRUE(fs::exists(out)) << name << " round " << round;
                continue;
            }
            ++failures;
            EXPECT_TRUE(allowed.count(text)) << name << " round " << round << ": " << text;
            EXPECT_FALSE(fs::exists(out)) << name << " round " << round;
        }
    }
    EXPECT_GT(failures, total / 2);
}

} // namespace
