#include "modulelibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

ModuleLibrary::ModuleLibrary(const QString &name, QStringList folders)
    : m_name(name)
    , m_folders(std::move(folders))
{
}

ModuleLibrary::~ModuleLibrary() = default; // QLibrary never unloads on destruction

QString ModuleLibrary::fileName() const
{
    return QStringLiteral("lib%1.so").arg(m_name);
}

QString ModuleLibrary::buildTreeFolder()
{
    return QStringLiteral(DORVANE_MODULE_BUILD_DIR);
}

bool ModuleLibrary::insideBuildTree(const QString &folder)
{
    const QString tree = QFileInfo(QStringLiteral(DORVANE_BUILD_TREE)).canonicalFilePath();
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (tree.isEmpty() || path.isEmpty())
        return false; // no build tree here (an installed copy), or no such folder
    return path == tree || path.startsWith(tree + QLatin1Char('/'));
}

QStringList ModuleLibrary::foldersFor(const QString &programFolder)
{
    QStringList folders{programFolder,
                        QDir::cleanPath(programFolder + QStringLiteral("/" DORVANE_MODULE_INSTALL_RELATIVE))};
    if (insideBuildTree(programFolder))
        folders << buildTreeFolder();
    return folders;
}

QStringList ModuleLibrary::defaultFolders()
{
    // /proc/self/exe names the program file with links resolved, as applicationDirPath() does.
    const QString program = QCoreApplication::instance()
                                ? QCoreApplication::applicationDirPath()
                                : QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path();
    return foldersFor(program);
}

bool ModuleLibrary::open()
{
    if (m_tried)
        return m_library != nullptr;
    m_tried = true;
    for (const QString &folder : std::as_const(m_folders)) {
        const QString path = QDir(folder).filePath(fileName());
        if (!QFileInfo(path).isFile())
            continue;
        auto library = std::make_unique<QLibrary>(path);
        if (!library->load()) {
            // The first file found is the module: a broken one is reported, not skipped.
            m_error = library->errorString(); // "Cannot load library <path>: (<cause>)"
            return false;
        }
        m_library = std::move(library);
        return true;
    }
    m_error =
        QStringLiteral("%1 was not found (looked in %2)").arg(fileName(), m_folders.join(QStringLiteral(", ")));
    return false;
}

QFunctionPointer ModuleLibrary::resolve(const char *symbol)
{
    if (!open())
        return nullptr;
    QFunctionPointer function = m_library->resolve(symbol);
    if (!function) {
        m_error =
            QStringLiteral("%1 has no entry point %2").arg(m_library->fileName(), QString::fromLatin1(symbol));
        return nullptr;
    }
    m_error.clear();
    return function;
}
