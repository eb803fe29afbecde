#include "colortext.h"

#include <array>

namespace colortext {

namespace {

struct NamedColor
{
    const char *name;
    int r, g, b;
};

constexpr std::array<NamedColor, 16> Names{{
    {"clBlack", 0, 0, 0},
    {"clMaroon", 128, 0, 0},
    {"clGreen", 0, 128, 0},
    {"clOlive", 128, 128, 0},
    {"clNavy", 0, 0, 128},
    {"clPurple", 128, 0, 128},
    {"clTeal", 0, 128, 128},
    {"clGray", 128, 128, 128},
    {"clSilver", 192, 192, 192},
    {"clRed", 255, 0, 0},
    {"clLime", 0, 255, 0},
    {"clYellow", 255, 255, 0},
    {"clBlue", 0, 0, 255},
    {"clFuchsia", 255, 0, 255},
    {"clAqua", 0, 255, 255},
    {"clWhite", 255, 255, 255},
}};

QColor fromValue(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

QString write(const QColor &color)
{
    for (const NamedColor &n : Names) {
        if (color.red() == n.r && color.green() == n.g && color.blue() == n.b)
            return QString::fromLatin1(n.name);
    }
    const quint32 value = quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
    return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<QColor> read(const QString &text)
{
    for (const NamedColor &n : Names) {
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return QColor(n.r, n.g, n.b);
    }
    const bool hex = text.startsWith(QLatin1Char('$'));
    const QString digits = hex ? text.mid(1) : text;
    // toULongLong would also take blanks, a sign or "0x"; only plain digits are a colour.
    if (digits.isEmpty() || digits.size() > 16)
        return std::nullopt;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const bool digit = u >= '0' && u <= '9';
        const bool letter = (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!digit && !(hex && letter))
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return fromValue(quint32(value));
}

QColor readOr(const QString &text, const QColor &fallback)
{
    return read(text).value_or(fallback);
}

} // namespace colortext
