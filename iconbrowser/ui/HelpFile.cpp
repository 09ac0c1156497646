#include "HelpFile.h"

#include <QFile>

namespace glint {

namespace {

// Far beyond any help text; a larger file is not ours.
constexpr qint64 largestHelpFile = 4 * 1024 * 1024;

} // namespace

help::HelpSource readHelpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {{}, file.errorString().toStdString()};
    if (file.size() > largestHelpFile) return {{}, "the file is too large to be help text"};
    const QByteArray bytes = file.readAll();
    return help::parseHelpSource(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace glint
