// Colour text: how colours travel in chat messages and in the settings file.
#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace colortext {

// One of the sixteen basic colour names ("clBlue") when the colour is one of them,
// otherwise "$" and the value R + 256*G + 65536*B as eight upper-case hex digits.
QString write(const QColor &color);

// Reads a colour name in any letter case, a decimal number, or "$" and hex digits.
// Nothing for any other text (and for values that do not fit in 32 bits).
std::optional<QColor> read(const QString &text);

// read(), with `fallback` for text that is not a colour.
QColor readOr(const QString &text, const QColor &fallback);

} // namespace colortext
