#include "SkinChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <set>

#include "FileDialogs.h"
#include "PathText.h"
#include "Settings.h"
#include "ShellTexts.h"
#include "Skin.h"
#include "UserMessages.h"

namespace skinchoice {

Loading load(const std::string& skinFile)
{
    const std::string name = pathtext::fileNameOf(skinFile);
    if (name.size() != std::string_view(shelltext::skinFileName).size() ||
        !pathtext::endsWithNoCase(name, shelltext::skinFileName))
        return {nullptr,
                "\"" + skinFile + "\" is no skin: a skin's settings file is named " + shelltext::skinFileName + "."};
    try {
        Loading loaded{loadSkin(skinFile), std::string()};
        Bitmap::load(skinBitmapPath(skinFile, "About.bmp"));
        return loaded;
    } catch (const ShellError& error) {
        const std::string text = error.what();
        // A fault of the layout names the file already; a bitmap's does not.
        return {nullptr, text.find(skinFile) == std::string::npos ? text + "\n\n" + skinFile : text};
    }
}

void tellFault(UserMessages& messages, const std::string& fault)
{
    messages.ask(shelltext::exceptionCaption, fault, MessageIcon::error, MessageButtons::ok);
}

std::string chooseUntilWearable(FileDialogs& dialogs, UserMessages& messages, const std::string& startFolder,
                                const std::function<bool()>& ended)
{
    for (;;) {
        const std::string chosen = dialogs.chooseSkinFile(startFolder);
        if (chosen.empty() || ended()) return std::string();
        const std::string fault = faultOf(chosen);
        if (fault.empty()) return chosen;
        tellFault(messages, fault);
    }
}

std::vector<FoundSkin> findSkins(const std::vector<std::string>& folders)
{
    std::vector<FoundSkin> found;
    std::set<QString> looked;
    for (const std::string& folder : folders) {
        const QDir skins(QString::fromStdString(folder));
        if (folder.empty() || !skins.exists() || !looked.insert(skins.canonicalPath()).second) continue;
        for (const QString& name : skins.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QDir skin(skins.filePath(name));
            // Name filters match without regard to case: "SKIN.INI" counts.
            const QStringList ini = skin.entryList({QString::fromLatin1(shelltext::skinFileName)}, QDir::Files);
            if (!ini.isEmpty()) found.push_back({name.toStdString(), skin.filePath(ini.front()).toStdString()});
        }
    }
    return found;
}

std::vector<std::string> skinFolders(const std::string& programDirectory, const std::string& defaultSkin)
{
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString installed = QFileInfo(QString::fromStdString(defaultSkin)).absoluteDir().filePath("..");
    return {QDir(QString::fromStdString(programDirectory)).filePath("skins").toStdString(),
            QDir(user).filePath("sonorbox/skins").toStdString(), QDir::cleanPath(installed).toStdString()};
}

} // namespace skinchoice
