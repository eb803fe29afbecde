// Reading a line into a sum type of typed messages, and the visitor helper that dispatches
// them. Every alternative T names its command word as T::Command and reads its rest with
// T::parse(rest).
#pragma once

#include "protocol.h"

#include <QByteArray>
#include <cstddef>
#include <optional>
#include <variant>

namespace protocol {

// Overloaded lambdas as one visitor: std::visit(Overloaded{[](const A &) {}, ...}, v).
template <typename... Handlers>
struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};

// The alternative of Variant whose command word is command, read from rest; nullopt when
// none has that word. Throws ProtocolError when the rest is malformed.
template <typename Variant, std::size_t I = 0>
std::optional<Variant> parseAlternative(const QByteArray &command, const QByteArray &rest)
{
    if constexpr (I == std::variant_size_v<Variant>) {
        return std::nullopt;
    } else {
        using Message = std::variant_alternative_t<I, Variant>;
        if (command == Message::Command)
            return std::optional<Variant>(std::in_place, std::in_place_index<I>, Message::parse(rest));
        return parseAlternative<Variant, I + 1>(command, rest);
    }
}

// The message in line (without its terminator), split at its first "+"; nullopt for a line
// without a command word or with one no alternative has.
template <typename Variant>
std::optional<Variant> parseLine(const QByteArray &line)
{
    const auto [command, rest] = splitCommand(line);
    if (command.isEmpty())
        return std::nullopt;
    return parseAlternative<Variant>(command, rest);
}

// The message's bytes (without terminator), whichever alternative it holds.
template <typename Variant>
QByteArray buildAlternative(const Variant &message)
{
    return std::visit([](const auto &m) { return m.build(); }, message);
}

} // namespace protocol
