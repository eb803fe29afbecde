#pragma once

#include <optional>
#include <string>
#include <vector>

// Where a server listens: "host:port" or "[v6]:port", as written in a shards file and in
// a CMD_tableat answer.
struct Endpoint
{
    std::string host;
    int port = 0;

    static std::optional<Endpoint> parse(const std::string &text);
    bool operator==(const Endpoint &) const = default;
};

// The table servers that share the tables by code: a table's server is the position of
// its code's first character in the code alphabet, modulo the number of servers.
class ShardList
{
public:
    // One server, which holds every table.
    explicit ShardList(Endpoint only);
    // A shards file's text: one endpoint a line; blank lines and lines starting with '#'
    // are skipped. nullopt (and the reason in `error`) when a line is no endpoint or
    // there is none.
    static std::optional<ShardList> parse(const std::string &text, std::string &error);

    int size() const { return int(m_servers.size()); }
    const Endpoint &at(int shard) const { return m_servers[std::size_t(shard)]; }
    // The shard that holds the table with this code; -1 when the code does not start
    // with a character of the alphabet (any case).
    int shardOf(const std::string &code) const;

    // Where c stands in the code alphabet (0 to 31, either case); -1 when it is not in it.
    static int alphabetIndex(char c);
    static constexpr char Alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";

private:
    ShardList() = default;
    std::vector<Endpoint> m_servers;
};
