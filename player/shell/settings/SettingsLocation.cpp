#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace settingslocation {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

std::string settingsFileFor(const std::string& programDirectory, const std::string& userConfigFolder,
                            const std::string& defaultSkin)
{
    const QFileInfo beside(QDir(qt(programDirectory)).filePath(shelltext::settingsFileName));
    if (beside.isFile() && beside.isWritable()) return beside.filePath().toStdString();

    const QDir folder(qt(userConfigFolder));
    const std::string path = folder.filePath(shelltext::settingsFileName).toStdString();
    if (QFileInfo::exists(qt(path))) return path;
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "sonorbox: cannot make the settings folder \"%s\"; settings will not be kept\n",
                     userConfigFolder.c_str());
        return path;
    }
    if (QFileInfo(qt(defaultSkin)).isFile()) PlayerSettings(path).putSkin(defaultSkin);
    return path;
}

std::string userConfigFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("sonorbox")).toStdString();
}

std::string defaultSkinFor(const std::string& programDirectory)
{
    const QDir program(qt(programDirectory));
    const QString skin = QStringLiteral("skins/Default/") + QLatin1String(shelltext::skinFileName);
    const QString beside = program.filePath(skin);
    if (QFileInfo(beside).isFile()) return beside.toStdString();
    return QDir::cleanPath(program.filePath(QStringLiteral(SONORBOX_DATA_FROM_PROGRAM "/") + skin)).toStdString();
}

} // namespace settingslocation
