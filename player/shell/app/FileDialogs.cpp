#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ShellTexts.h"

namespace {

// One filter of a dialog: its text as the user reads it, and the patterns
// that choose its files. Windows matches names without regard to case and
// reads "*.*" as every file; the dialogs here (Qt's own on some desktops, the
// desktop's on others) may match case exactly, so each letter of a pattern
// is given in both cases ("*.[mM][pP]3"). The patterns follow the text in a
// second pair of brackets, which the dialogs take as the pattern list, and
// the dialogs show the text alone.
QString filterOf(const char* text, const QStringList& patterns)
{
    QStringList anyCase;
    for (const QString& pattern : patterns) {
        QString written;
        for (const QChar c : pattern) {
            if (c.isLetter() && c.toLower() != c.toUpper())
                written += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else
                written += c;
        }
        anyCase += written;
    }
    return QString::fromLatin1(text) + QStringLiteral(" (") + anyCase.join(QLatin1Char(' ')) + QLatin1Char(')');
}

const QFileDialog::Options shownTextOnly = QFileDialog::HideNameFilterDetails;

} // namespace

std::unique_ptr<QFileDialog> QtFileDialogs::skinDialog(const std::string& startFolder)
{
    auto dialog = std::make_unique<QFileDialog>(nullptr, QString::fromLatin1(shelltext::skinChooserTitle),
                                                QString::fromStdString(startFolder));
    dialog->setOptions(shownTextOnly);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters({filterOf(shelltext::skinChooserFilter, {QStringLiteral("*.ini")})});
    return dialog;
}

std::string QtFileDialogs::chooseSkinFile(const std::string& startFolder)
{
    const std::unique_ptr<QFileDialog> dialog = skinDialog(startFolder);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::string();
    return dialog->selectedFiles().front().toStdString();
}

std::optional<std::string> QtFileDialogs::chooseFolder(QWidget* owner, const std::string& currentSong)
{
    const QString start = QFileInfo(QString::fromStdString(currentSong)).absolutePath();
    const QString chosen = QFileDialog::getExistingDirectory(owner, QString::fromLatin1(shelltext::folderChooserTitle),
                                                             currentSong.empty() ? QString() : start);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::unique_ptr<QFileDialog> QtFileDialogs::songDialog(QWidget* owner, const std::string& currentSong)
{
    const QStringList filters{filterOf(shelltext::openFilterSongs,
                                       {QStringLiteral("*.mp3"), QStringLiteral("*.m3u"), QStringLiteral("*.m3u8")}),
                              filterOf(shelltext::openFilterAll, {QStringLiteral("*")})};
    auto dialog = std::make_unique<QFileDialog>(owner, QString(), QString::fromStdString(currentSong));
    dialog->setOptions(shownTextOnly);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(filters);
    return dialog;
}

std::optional<std::string> QtFileDialogs::chooseSong(QWidget* owner, const std::string& currentSong)
{
    const std::unique_ptr<QFileDialog> dialog = songDialog(owner, currentSong);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    return dialog->selectedFiles().front().toStdString();
}

std::optional<std::string> QtFileDialogs::chooseListToSave(QWidget* owner, const std::string& nearSong)
{
    const QString start = nearSong.empty() ? QString() : QFileInfo(QString::fromStdString(nearSong)).absolutePath();
    QString chosen = QFileDialog::getSaveFileName(owner, QString::fromLatin1(shelltext::saveListTitle), start,
                                                  QString::fromLatin1(shelltext::saveListFilter));
    if (chosen.isEmpty()) return std::nullopt;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".m3u8");
    return chosen.toStdString();
}
