#include "tablecode.h"

namespace tablecode {

int alphabetIndex(QChar c)
{
    for (int i = 0; i < AlphabetSize; ++i)
        if (c == QLatin1Char(Alphabet[i]))
            return i;
    return -1;
}

QString normalize(QStringView typed)
{
    QString code;
    for (const QChar c : typed) {
        if (c == QLatin1Char('-') || c.isSpace())
            continue;
        const QChar upper = c.toUpper();
        if (alphabetIndex(upper) < 0 || code.size() == Length)
            return {};
        code.append(upper);
    }
    return code.size() == Length ? code : QString();
}

QString display(const QString &code)
{
    if (normalize(code) != code)
        return code;
    return code.left(Length / 2) + QLatin1Char('-') + code.mid(Length / 2);
}

} // namespace tablecode
