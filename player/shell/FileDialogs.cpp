#include "FileDialogs.h"

#include <QFileDialog>

#include "ShellTexts.h"

std::string QtFileDialogs::chooseSkinFile(const std::string& startFolder)
{
    const QString chosen = QFileDialog::getOpenFileName(nullptr, shelltext::skinChooserTitle,
                                                        QString::fromStdString(startFolder),
                                                        QString::fromLatin1(shelltext::skinChooserFilter));
    return chosen.toStdString();
}

std::optional<std::string> QtFileDialogs::chooseSong(QWidget* owner, const std::string& currentSong)
{
    const QString filters = QStringLiteral("%1;;%2").arg(shelltext::openFilterSongs, shelltext::openFilterAll);
    const QString chosen =
        QFileDialog::getOpenFileName(owner, QString(), QString::fromStdString(currentSong), filters);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}
