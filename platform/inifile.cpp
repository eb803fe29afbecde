#include "inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

// The name a "[section]" line opens; nothing when the line is no section header.
std::optional<QString> sectionName(const QByteArray &line)
{
    QByteArray t = line.trimmed();
    if (t.startsWith(Bom))
        t = t.mid(Bom.size()).trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return IniFile::decode(t.mid(1, close - 1)).trimmed();
}

// Splits a "key=value" line; false for blank lines, comments and lines without "=".
bool keyOf(const QByteArray &line, QString *key, QString *value)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return false;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    *key = IniFile::decode(line.left(eq).trimmed());
    *value = IniFile::decode(line.mid(eq + 1).trimmed());
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a write goes: byte offsets into the file's content.
struct Location
{
    bool section = false;    // the section exists
    qsizetype insertAt = -1; // after the section's last non-blank line (its line break included)
    qsizetype keyStart = -1; // the key's line, without its line break; -1 when absent
    qsizetype keyEnd = -1;
};

Location locate(const QByteArray &bytes, const QString &section, const QString &key)
{
    Location at;
    bool inside = false;
    for (qsizetype pos = 0; pos < bytes.size();) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        const qsizetype next = newline < 0 ? bytes.size() : newline + 1;
        qsizetype end = newline < 0 ? bytes.size() : newline;
        if (end > pos && bytes.at(end - 1) == '\r')
            --end;
        const QByteArray line = bytes.mid(pos, end - pos);
        if (const std::optional<QString> name = sectionName(line)) {
            if (inside)
                break; // the section ended
            inside = sameName(*name, section);
            if (inside) {
                at.section = true;
                at.insertAt = next;
            }
        } else if (inside && !line.trimmed().isEmpty()) {
            at.insertAt = next;
            QString k, v;
            if (at.keyStart < 0 && keyOf(line, &k, &v) && sameName(k, key)) {
                at.keyStart = pos;
                at.keyEnd = end;
            }
        }
        pos = next;
    }
    return at;
}

// The content of the last line, without its line break.
QByteArray lastLine(const QByteArray &bytes)
{
    QByteArray content = bytes.endsWith('\n') ? bytes.chopped(1) : bytes;
    return content.mid(content.lastIndexOf('\n') + 1);
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QString IniFile::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool IniFile::tooLarge() const
{
    const QFileInfo info(m_path);
    return info.exists() && info.size() > MaxFileBytes;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileBytes)
        return def;
    // Line by line, stopping where the section ends: only the section's lines are looked at.
    bool inside = false;
    qint64 seen = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(); // no longer than the file, which is small
        seen += line.size();
        if (line.isEmpty() || seen > MaxFileBytes)
            return def; // a file that grows while it is read
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (const std::optional<QString> name = sectionName(line)) {
            if (inside)
                break;
            inside = sameName(*name, section);
            continue;
        }
        QString k, v;
        if (inside && keyOf(line, &k, &v) && sameName(k, key))
            return v;
    }
    return def;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    bool ok = false;
    const int value = readString(section, key).toInt(&ok);
    return ok ? value : def;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QByteArray bytes;
    QFile file(m_path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false; // never replace what cannot be read
        bytes = file.read(MaxFileBytes + 1);
        file.close();
        if (bytes.size() > MaxFileBytes)
            return false;
    }
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray entry = key.toUtf8() + '=' + oneLine.toUtf8();
    const QByteArray eol = bytes.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const Location at = locate(bytes, section, key);
    QByteArray out;
    if (at.keyStart >= 0) {
        out = bytes.left(at.keyStart) + entry + bytes.mid(at.keyEnd);
    } else if (at.section) {
        QByteArray before = bytes.left(at.insertAt);
        if (!before.endsWith('\n'))
            before += eol;
        out = before + entry + eol + bytes.mid(at.insertAt);
    } else {
        out = bytes;
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += eol;
        if (!lastLine(bytes).trimmed().isEmpty())
            out += eol; // a blank line before the new section
        out += '[' + section.toUtf8() + ']' + eol + entry + eol;
    }
    QSaveFile save(m_path);
    if (!save.open(QIODevice::WriteOnly))
        return false;
    save.write(out);
    return save.commit();
}
