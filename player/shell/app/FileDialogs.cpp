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

std::optional<std::string> QtFileDialogs::chooseFolder(QWidget* owner, const std::string& currentSong, Purpose purpose)
{
    const QString start = QFileInfo(QString::fromStdString(currentSong)).absolutePath();
    const char* title = purpose == Purpose::add ? shelltext::addFolderTitle : shelltext::folderChooserTitle;
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, QString::fromLatin1(title), currentSong.empty() ? QString() : start);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::unique_ptr<QFileDialog> QtFileDialogs::songDialog(QWidget* owner, const std::string& currentSong, Purpose purpose)
{
    const QStringList filters{filterOf(shelltext::openFilterSongs,
                                       {QStringLiteral("*.mp3"), QStringLiteral("*.m3u"), QStringLiteral("*.m3u8")}),
                              filterOf(shelltext::openFilterAll, {QStringLiteral("*")})};
    const QString title = purpose == Purpose::add ? QString::fromLatin1(shelltext::addFilesTitle) : QString();
    auto dialog = std::make_unique<QFileDialog>(owner, title, QString::fromStdString(currentSong));
    dialog->setOptions(shownTextOnly);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters(filters);
    return dialog;
}

std::vector<std::string> QtFileDialogs::chooseSongs(QWidget* owner, const std::string& currentSong, Purpose purpose)
{
    const std::unique_ptr<QFileDialog> dialog = songDialog(owner, currentSong, purpose);
    std::vector<std::string> chosen;
    if (dialog->exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dialog->selectedFiles()) chosen.push_back(file.toStdString());
    return chosen;
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
