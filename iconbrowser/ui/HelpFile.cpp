#include "HelpFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace glint {

namespace {

// Far beyond any help text; a larger file is not ours.
constexpr qint64 largestHelpFile = 4 * 1024 * 1024;

} // namespace

QString helpFolderFor(const QString& programFolder)
{
    const QDir program(programFolder);
    if (QFileInfo(program.filePath(helpFileName)).isFile()) return program.path();
    return QDir::cleanPath(program.filePath(QStringLiteral(GLINT_DATA_FROM_PROGRAM)));
}

help::HelpSource readHelpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {{}, file.errorString().toStdString()};
    if (file.size() > largestHelpFile) return {{}, "the file is too large to be help text"};
    const QByteArray bytes = file.readAll();
    return help::parseHelpSource(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace glint
