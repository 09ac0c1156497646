#include "Desktop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

namespace {

void addFileOrFolder(const QString& path, std::vector<std::string>& paths)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isAbsolute() || !(file.isFile() || file.isDir())) return;
    paths.push_back(file.absoluteFilePath().toStdString());
}

} // namespace

std::vector<std::string> droppedPaths(const QMimeData& data)
{
    std::vector<std::string> paths;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls())
            if (url.isLocalFile()) addFileOrFolder(url.toLocalFile(), paths);
    } else if (data.hasText()) {
        for (const QString& text : data.text().split(QLatin1Char('\n'))) {
            const QString line = text.trimmed();
            const QUrl url(line);
            addFileOrFolder(url.isLocalFile() ? url.toLocalFile() : line, paths);
        }
    }
    return paths;
}
