// IniFile: the classic initialisation-file format, shared with other programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Reads and writes "[section]" / "key=value" files. Section and key names are matched
// without regard to case; only the first section of a name counts. Every call opens the
// file, does its work and closes it again; nothing is cached.
//
// The file belongs to several programs, so it is handled as bytes: writing one key replaces
// only that key's line (or inserts one) and keeps every other byte as it was, whatever its
// encoding; the file is replaced atomically. Values are written as UTF-8 and read as UTF-8,
// or as Latin-1 when a value is not valid UTF-8 (what older programs wrote). A file larger
// than MaxFileBytes is no settings file: it reads as missing and is never written.
class IniFile
{
public:
    // Settings files hold a few kilobytes; this leaves room for many programs' sections.
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // True when the file exists and is larger than MaxFileBytes.
    bool tooLarge() const;

    // The value of key in section (blanks around it removed), or def when the file,
    // section or key is missing.
    QString readString(const QString &section, const QString &key, const QString &def = QString()) const;
    // The value read as a decimal integer; def when missing or not an integer.
    int readInteger(const QString &section, const QString &key, int def) const;
    // Sets key in section to value (line breaks in it become blanks), creating the file,
    // section or key as needed. Returns false when the file could not be written or is too
    // large (the old content then stays).
    bool writeString(const QString &section, const QString &key, const QString &value);

    // Text of a name or value: UTF-8, or Latin-1 when the bytes are not valid UTF-8.
    static QString decode(const QByteArray &bytes);

private:
    QString m_path;
};
