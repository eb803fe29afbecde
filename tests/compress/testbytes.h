// Deterministic inputs for the compression tests: word-like text and random bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testbytes {

using Bytes = std::vector<std::uint8_t>;

// Text made of short words and CR LF line ends, n bytes long.
inline Bytes text(std::size_t n, std::uint32_t seed)
{
    static const char *const words[] = {"dice ", "phase ", "roll ",  "wild ",  "score\r\n",
                                        "Klot ", "won ",   "tally ", "bonus ", "12 "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const std::string w = words[rng() % 10];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(n);
    return out;
}

// n incompressible bytes.
inline Bytes random(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto &b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

} // namespace testbytes
