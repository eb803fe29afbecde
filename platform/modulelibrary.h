// ModuleLibrary: one of the program's own module libraries, opened when first needed.
#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>
#include <memory>

// Code with heavy dependencies (the HTTP client and its TLS stack, the sound back end, the
// JPEG decoder) lives in small module libraries, so a start that never needs them never
// maps them. A module is looked for in folders, in order (by default beside the program and
// in the installed module folder; see foldersFor). Failing to open
// one (no such file, a library it needs is missing, not a library, no such entry point) is
// an ordinary outcome with a message, never a crash. An opened module stays loaded for
// the life of the process, so objects it made may outlive this object.
class ModuleLibrary
{
public:
    // name "dorvanehttp" stands for the file "libdorvanehttp.so".
    explicit ModuleLibrary(const QString &name, QStringList folders = defaultFolders());
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary &) = delete;
    ModuleLibrary &operator=(const ModuleLibrary &) = delete;

    // Opens the module on the first call and returns its entry point symbol, or nullptr
    // with errorString() set. A failure is remembered: later calls do not retry.
    QFunctionPointer resolve(const char *symbol);
    template <typename Function>
    Function *entry(const char *symbol)
    {
        return reinterpret_cast<Function *>(resolve(symbol));
    }

    // Why the last resolve failed, naming the module file: empty after a success.
    QString errorString() const { return m_error; }
    // The module's file name, "lib<name>.so".
    QString fileName() const;

    // foldersFor() the running program's folder: the one rule for where the program's own
    // modules and helper programs are looked for.
    static QStringList defaultFolders();
    // programFolder, the installed module folder relative to it and, only when programFolder
    // lies inside the build tree this code was compiled in (a program or test run from the
    // build), the build tree's module folder. An installed program never looks into the build
    // tree: on the player's machine that path may not exist, and anyone may create it.
    static QStringList foldersFor(const QString &programFolder);
    // True when folder (links resolved) is the build tree this code was compiled in or lies in it.
    static bool insideBuildTree(const QString &folder);
    // The build tree's module folder (compiled in).
    static QString buildTreeFolder();

private:
    bool open();

    QString m_name;
    QStringList m_folders;
    std::unique_ptr<QLibrary> m_library;
    bool m_tried = false;
    QString m_error;
};
