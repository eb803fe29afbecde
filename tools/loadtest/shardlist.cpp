#include "shardlist.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

std::optional<Endpoint> Endpoint::parse(const std::string &text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size())
        return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return std::nullopt;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return std::nullopt; // a bare IPv6 address: its port cannot be told apart
    }
    char *end = nullptr;
    const long port = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || port < 1 || port > 65535)
        return std::nullopt;
    return Endpoint{host, int(port)};
}

ShardList::ShardList(Endpoint only)
    : m_servers{std::move(only)}
{
}

std::optional<ShardList> ShardList::parse(const std::string &text, std::string &error)
{
    ShardList list;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const std::optional<Endpoint> endpoint = Endpoint::parse(line.substr(start));
        if (!endpoint) {
            error = "line " + std::to_string(number) + " is no host:port: " + line;
            return std::nullopt;
        }
        list.m_servers.push_back(*endpoint);
    }
    if (list.m_servers.empty()) {
        error = "no server listed";
        return std::nullopt;
    }
    return list;
}

int ShardList::alphabetIndex(char c)
{
    const char upper = char(std::toupper(static_cast<unsigned char>(c)));
    for (int i = 0; Alphabet[i] != '\0'; ++i) {
        if (Alphabet[i] == upper)
            return i;
    }
    return -1;
}

int ShardList::shardOf(const std::string &code) const
{
    const std::size_t first = code.find_first_not_of("- ");
    const int index = first == std::string::npos ? -1 : alphabetIndex(code[first]);
    return index < 0 ? -1 : index % size();
}
