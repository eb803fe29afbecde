#include "datafolder.h"

#include "folders.h"
#include "programfolder.h"

QString dataFolder(const Folders &folders, const QString &programFolder)
{
    if (folders.isWritable(programFolder))
        return programFolder;
    const QString userFolder = folders.userDataFolder();
    return userFolder.isEmpty() ? programFolder : userFolder;
}

QString dataFolder()
{
    return dataFolder(SystemFolders(), programFolder());
}

QString dataFilePath(const QString &fileName)
{
    return dataFolder() + fileName;
}
