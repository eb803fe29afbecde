#include "inifile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QStringList IniFile::readLines(bool *crlf, bool *latin1) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (latin1)
        *latin1 = utf8.hasError();
    if (crlf)
        *crlf = text.contains(QLatin1String("\r\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line break
    return lines;
}

QString IniFile::sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

bool IniFile::keyOf(const QString &line, QString *key, QString *value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

IniFile::Location IniFile::locate(const QStringList &lines, const QString &section, const QString &key)
{
    Location at;
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull()) {
            if (inside)
                break; // the section ended
            inside = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inside)
                at.sectionLine = at.lastLine = i;
            continue;
        }
        if (!inside)
            continue;
        if (!lines[i].trimmed().isEmpty())
            at.lastLine = i;
        QString k, v;
        if (at.keyLine < 0 && keyOf(lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0)
            at.keyLine = i;
    }
    return at;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const QStringList lines = readLines();
    const Location at = locate(lines, section, key);
    if (at.keyLine < 0)
        return def;
    QString k, v;
    keyOf(lines[at.keyLine], &k, &v);
    return v;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    bool ok = false;
    const int value = readString(section, key).toInt(&ok);
    return ok ? value : def;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    bool crlf = false;
    bool latin1 = false;
    QStringList lines = readLines(&crlf, &latin1);
    const Location at = locate(lines, section, key);
    const QString entry = key + QLatin1Char('=') + value;
    if (at.keyLine >= 0) {
        lines[at.keyLine] = entry;
    } else if (at.sectionLine >= 0) {
        lines.insert(at.lastLine + 1, entry);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
    }
    const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString text = lines.join(eol) + eol;
    file.write(latin1 ? text.toLatin1() : text.toUtf8());
    return file.commit();
}
