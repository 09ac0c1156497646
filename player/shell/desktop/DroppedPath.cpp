#include "Desktop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

std::optional<std::string> fileOrFolder(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isAbsolute() || !(file.isFile() || file.isDir())) return std::nullopt;
    return file.absoluteFilePath().toStdString();
}

} // namespace

std::optional<std::string> droppedPath(const QMimeData& data)
{
    if (data.hasUrls()) {
        const QList<QUrl> urls = data.urls();
        if (urls.isEmpty() || !urls.first().isLocalFile()) return std::nullopt;
        return fileOrFolder(urls.first().toLocalFile());
    }
    if (data.hasText()) {
        const QString line = data.text().section(QLatin1Char('\n'), 0, 0).trimmed();
        const QUrl url(line);
        return fileOrFolder(url.isLocalFile() ? url.toLocalFile() : line);
    }
    return std::nullopt;
}

std::vector<std::string> droppedPaths(const QMimeData& data)
{
    std::vector<std::string> paths;
    auto add = [&paths](const QString& path) {
        if (std::optional<std::string> found = fileOrFolder(path)) paths.push_back(std::move(*found));
    };
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls())
            if (url.isLocalFile()) add(url.toLocalFile());
    } else if (data.hasText()) {
        for (const QString& line : data.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QUrl url(line.trimmed());
            add(url.isLocalFile() ? url.toLocalFile() : line.trimmed());
        }
    }
    return paths;
}
