// Folders: where the program may write, asked through an interface so tests decide.
#pragma once

#include <QString>

class Folders
{
public:
    virtual ~Folders() = default;
    // True when a file can be created in folder. Permission bits say nothing for root,
    // so a real implementation tries it.
    virtual bool isWritable(const QString &folder) const = 0;
    // The per-user data folder with a trailing "/", created when missing; empty when it
    // cannot be made.
    virtual QString userDataFolder() const = 0;

    // preferred (with a trailing "/") when it is writable, otherwise userDataFolder().
    QString writableFolder(const QString &preferred) const
    {
        return isWritable(preferred) ? preferred : userDataFolder();
    }
};

// Asks the file system; the data folder is QStandardPaths::AppDataLocation.
class SystemFolders : public Folders
{
public:
    bool isWritable(const QString &folder) const override;
    QString userDataFolder() const override;
};

// Fixed answers (tests).
class FixedFolders : public Folders
{
public:
    FixedFolders(bool writable, const QString &dataFolder)
        : writable(writable)
        , dataFolder(dataFolder)
    {
    }
    bool isWritable(const QString &) const override { return writable; }
    QString userDataFolder() const override { return dataFolder; }

    bool writable;
    QString dataFolder;
};
