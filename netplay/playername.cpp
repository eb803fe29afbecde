#include "playername.h"

#include "protocollimits.h"

namespace playername {

QString cleaned(const QString &typed)
{
    return typed.trimmed();
}

QString problem(const QString &typed)
{
    const QString name = cleaned(typed);
    if (name.isEmpty())
        return QStringLiteral("Please type the name the other players will see.");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("The name cannot hold line breaks, tabs or other control characters.");
    }
    const qsizetype bytes = name.toUtf8().size();
    if (bytes > limits::MaxNameBytes)
        return QStringLiteral("The name is too long: at most %1 bytes, and it has %2 (accented letters and "
                              "other scripts take 2 to 4 bytes each).")
            .arg(limits::MaxNameBytes)
            .arg(bytes);
    return {};
}

} // namespace playername
