#include "WindowsPlaces.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace glint {

namespace {

// Prefixes named by a pattern: each folder matching `parent`/*/`below`.
const char* const prefixPatterns[][2] = {
    {".local/share/wineprefixes", ""},
    // Steam's own folder, and ~/.steam/steam, which usually links to it; the flatpak's.
    {".local/share/Steam/steamapps/compatdata", "pfx"},
    {".steam/steam/steamapps/compatdata", "pfx"},
    {".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata", "pfx"},
    {".local/share/bottles/bottles", ""},
    {".var/app/com.usebottles.bottles/data/bottles/bottles", ""},
};

// The folder as its real path, so a prefix reached through a link is listed once.
void addFolder(QStringList& places, const QString& path)
{
    const QFileInfo folder(path);
    if (folder.isDir()) places << folder.canonicalFilePath();
}

} // namespace

QStringList windowsProgramPlaces(const QString& home)
{
    const QDir root(home);
    QStringList prefixes;
    addFolder(prefixes, root.filePath(QStringLiteral(".wine/drive_c")));
    for (const auto& [parent, below] : prefixPatterns) {
        const QDir folder(root.filePath(QString::fromLatin1(parent)));
        for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
            QString prefix = folder.filePath(name);
            if (*below) prefix += QLatin1Char('/') + QString::fromLatin1(below);
            addFolder(prefixes, prefix + QStringLiteral("/drive_c"));
        }
    }
    prefixes.removeDuplicates();
    std::sort(prefixes.begin(), prefixes.end());
    QStringList places;
    addFolder(places, home);
    return places + prefixes;
}

} // namespace glint
