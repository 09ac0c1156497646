#include "FileDialogs.h"

#include <QFileDialog>
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

std::string QtFileDialogs::chooseSkinFile(const std::string& startFolder)
{
    const QString filter = filterOf(shelltext::skinChooserFilter, {QStringLiteral("*.ini")});
    const QString chosen = QFileDialog::getOpenFileName(
        nullptr, shelltext::skinChooserTitle, QString::fromStdString(startFolder), filter, nullptr, shownTextOnly);
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
