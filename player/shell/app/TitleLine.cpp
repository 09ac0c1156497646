#include "TitleLine.h"

#include "PathText.h"

QString titleLineOf(const std::string& path)
{
    return QString::fromStdString(pathtext::withoutExtension(pathtext::fileNameOf(path)));
}
