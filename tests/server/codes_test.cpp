// New table codes, the registry that keeps them unique, and the shards that share them.
#include "codegenerator.h"
#include "shardmap.h"
#include "tablecode.h"
#include "tableregistry.h"

#include <QSet>
#include <gtest/gtest.h>
#include <array>
#include <stdexcept>

namespace {

// Feeds the bytes given, over and over.
CodeGenerator::ByteSource repeating(QByteArray bytes)
{
    auto at = std::make_shared<qsizetype>(0);
    return [bytes, at](unsigned char *out, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            out[i] = static_cast<unsigned char>(bytes[(*at)++ % bytes.size()]);
    };
}

// A table driver's host that does nothing: the registry never runs its tables.
class IdleHost : public ServerTable::Host
{
public:
    qsizetype sendOn(quint64, const QByteArray &) override { return 0; }
    void closeOn(ServerTable &, int, TableDriver::When) override {}
    double tableNowMs() const override { return 0; }
    void scheduleTimer(ServerTable &, TableTimer, int) override {}
    void tableDropped(const QString &) override {}
};

TEST(CodeGenerator, DrawsEachCharacterUniformlyFromTheAlphabet)
{
    CodeGenerator generator; // the system's source
    std::array<int, tablecode::AlphabetSize> seen{};
    QSet<QByteArray> codes;
    constexpr int Codes = 4000;
    for (int i = 0; i < Codes; ++i) {
        const QByteArray code = generator.next();
        ASSERT_EQ(code.size(), tablecode::Length);
        ASSERT_EQ(tablecode::normalize(QString::fromLatin1(code)).toLatin1(), code) << code.constData();
        codes.insert(code);
        for (const char c : code)
            ++seen[tablecode::alphabetIndex(QLatin1Char(c))];
    }
    EXPECT_EQ(codes.size(), Codes) << "40 bits of chance: no repeat in a few thousand";
    // 32,000 characters over 32: 1,000 each; a fair source stays far inside 750..1250.
    for (int i = 0; i < tablecode::AlphabetSize; ++i)
        EXPECT_NEAR(seen[i], 1000, 250) << tablecode::Alphabet[i];
}

TEST(CodeGenerator, MapsBytesOntoTheAlphabetWithoutBias)
{
    // Every byte value once: each character comes out exactly eight times in 256 bytes.
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    CodeGenerator generator(repeating(everyByte));
    std::array<int, tablecode::AlphabetSize> seen{};
    for (int i = 0; i < 256 / tablecode::Length; ++i) {
        for (const char c : generator.next())
            ++seen[tablecode::alphabetIndex(QLatin1Char(c))];
    }
    for (int i = 0; i < tablecode::AlphabetSize; ++i)
        EXPECT_EQ(seen[i], 8) << tablecode::Alphabet[i];
}

TEST(CodeGenerator, KeepsToItsShardAndRejectsAShardOutsideTheRange)
{
    CodeGenerator generator;
    for (int shards : {1, 3, 32}) {
        for (int shard = 0; shard < shards; ++shard) {
            for (int i = 0; i < 20; ++i) {
                const QByteArray code = generator.next(shard, shards);
                EXPECT_EQ(tablecode::alphabetIndex(QLatin1Char(code[0])) % shards, shard) << code.constData();
            }
        }
    }
    EXPECT_THROW(generator.next(3, 3), std::invalid_argument);
    EXPECT_THROW(generator.next(0, 0), std::invalid_argument);
    EXPECT_THROW(generator.next(32, 33), std::invalid_argument);
}

TEST(TableRegistry, NeverGivesTwoOpenTablesOneCodeAndFreesACodeOnClose)
{
    // A source stuck on two codes: "AAAAAAAA" (byte 0) and "BBBBBBBB" (byte 1), eight bytes each.
    CodeGenerator stuck(repeating(QByteArray(8, '\0') + QByteArray(8, '\0') + QByteArray(8, '\1')));
    TableRegistry registry(std::move(stuck));
    IdleHost host;
    const ShardMap single;
    ServerTable &first = registry.open(host, single, 0);
    ServerTable &second = registry.open(host, single, 0);
    EXPECT_EQ(first.code(), "AAAAAAAA");
    EXPECT_EQ(second.code(), "BBBBBBBB") << "the repeat was drawn again";
    EXPECT_EQ(registry.find("AAAAAAAA"), &first);
    EXPECT_EQ(registry.at(second.id()), &second);
    const quint64 firstId = first.id();
    EXPECT_NE(registry.close(firstId), nullptr);
    EXPECT_EQ(registry.find("AAAAAAAA"), nullptr);
    EXPECT_EQ(registry.at(firstId), nullptr) << "a closed table's id finds nothing, even when its slot is reused";
    ServerTable &third = registry.open(host, single, 0);
    EXPECT_EQ(third.code(), "AAAAAAAA");
    EXPECT_EQ(registry.at(firstId), nullptr);
    EXPECT_EQ(registry.size(), 2);
}

TEST(ShardMap, ReadsOneAddressALineAndPlacesCodesByTheirFirstCharacter)
{
    QString error;
    const auto map = ShardMap::parse("# shards\n  a.example:7772 \n\n[2001:db8::7]:7772\n10.0.0.3:1\n", 1, &error);
    ASSERT_TRUE(map) << error.toStdString();
    EXPECT_EQ(map->count(), 3);
    EXPECT_EQ(map->self(), 1);
    EXPECT_EQ(map->address(0), "a.example:7772");
    EXPECT_EQ(map->address(1), "[2001:db8::7]:7772");
    EXPECT_EQ(map->shardOf("AAAAAAAA"), 0); // A stands at 0
    EXPECT_EQ(map->shardOf("DAAAAAAA"), 0); // D at 3
    EXPECT_EQ(map->shardOf("9AAAAAAA"), 31 % 3);
    EXPECT_EQ(map->shardOf(""), -1);

    EXPECT_FALSE(ShardMap::parse("a:1\nb:2\n", 2, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("shard 2"))) << error.toStdString();
    EXPECT_FALSE(ShardMap::parse("# nothing\n\n", 0, &error));
    EXPECT_FALSE(ShardMap::parse("a.example:1\nb.example:2 c.example:3\n", 0, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("b.example:2 c.example:3"))) << error.toStdString();
    EXPECT_FALSE(ShardMap::parse("a+b:1\n", 0, &error));
    EXPECT_FALSE(ShardMap::parse(QByteArray("a:1\n").repeated(33), 0, &error));
    EXPECT_EQ(ShardMap().count(), 1);
    EXPECT_EQ(ShardMap().shardOf("ZZZZZZZZ"), 0);
}

} // namespace
