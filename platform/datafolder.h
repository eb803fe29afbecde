// Where the files the user changes (settings, tally, phrases) live.
#pragma once

#include <QString>

class Folders;

// The program's folder (with a trailing "/") while files can be created in it, as for a copy
// run from its build folder; otherwise, as for an installed copy, the per-user data folder,
// so nothing is lost silently at exit. The program's folder again when there is no per-user
// folder either. folders answers the writability question (tests inject it).
QString dataFolder(const Folders &folders, const QString &programFolder);
// dataFolder for the program's own folder, asked of the file system.
QString dataFolder();
// dataFolder() + fileName.
QString dataFilePath(const QString &fileName);
