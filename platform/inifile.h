// IniFile: the classic initialisation-file format, shared with other programs.
#pragma once

#include <QString>
#include <QStringList>

// Reads and writes "[section]" / "key=value" files. Section and key names are matched
// without regard to case. Every call opens the file, does its work and closes it again;
// nothing is cached. Writing one key rewrites only that key's line (or adds one) and keeps
// every other line, comment and section as it was; the file is replaced atomically.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // The value of key in section (blanks around it removed), or def when the file,
    // section or key is missing.
    QString readString(const QString &section, const QString &key, const QString &def = QString()) const;
    // The value read as a decimal integer; def when missing or not an integer.
    int readInteger(const QString &section, const QString &key, int def) const;
    // Sets key in section to value, creating the file, section or key as needed.
    // Returns false when the file could not be written (the old content then stays).
    bool writeString(const QString &section, const QString &key, const QString &value);

private:
    struct Location
    {
        int sectionLine = -1; // index of the "[section]" line, -1 when absent
        int keyLine = -1;     // index of the key's line, -1 when absent
        int lastLine = -1;    // last non-blank line of the section (or the header)
    };

    // A file that is not valid UTF-8 is read (and written back) as Latin-1, so writing one
    // key keeps every byte of the other lines, whatever program wrote them.
    QStringList readLines(bool *crlf = nullptr, bool *latin1 = nullptr) const;
    static Location locate(const QStringList &lines, const QString &section, const QString &key);
    static QString sectionName(const QString &line); // null when the line is no section header
    static bool keyOf(const QString &line, QString *key, QString *value);

    QString m_path;
};
