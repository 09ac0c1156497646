#include "Prompts.h"

#include "SaveIcon.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>

namespace glint {

void QtPrompts::message(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.exec();
}

SaveTarget QtPrompts::askSaveTarget(QWidget* owner, const QString& folder)
{
    QFileDialog dialog(owner);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    configureSaveDialog(dialog);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        const QString chosen = dialog.selectedFiles().constFirst();
        const SaveTarget target = saveTargetFor(chosen, formatOfFilter(dialog.selectedNameFilter()));
        // The dialog asked about the name it was given; a name it lengthened
        // may stand for another file, which is not replaced unasked.
        if (target.path == chosen || !QFileInfo::exists(target.path)) return target;
        const auto answer =
            QMessageBox::question(owner, dialog.windowTitle(),
                                  QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target.path));
        if (answer == QMessageBox::Yes) return target;
    }
}

SaveAllTarget QtPrompts::askSaveAllTarget(QWidget* owner)
{
    const QString caption = QStringLiteral("Save All Icons");
    const QString folder = QFileDialog::getExistingDirectory(owner, caption);
    if (folder.isEmpty()) return {};
    const QStringList kinds{QStringLiteral("Icon Files (.ico, every image of each icon)"),
                            QStringLiteral("PNG Images (.png, the largest image of each icon)")};
    bool chosen = false;
    const QString kind =
        QInputDialog::getItem(owner, caption, QStringLiteral("Save each icon as:"), kinds, 0, false, &chosen);
    if (!chosen) return {};
    return {folder, kind == kinds[1] ? icons::ExportFormat::Png : icons::ExportFormat::Icon};
}

QString QtPrompts::askPath(QWidget* owner, const QString& folder)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Open"));
    dialog.setLabelText(QStringLiteral("File or folder to open (typed or pasted):"));
    dialog.setTextValue(QDir::toNativeSeparators(folder));
    dialog.resize(dialog.sizeHint().expandedTo(QSize(420, 0)));
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}

QAction* QtPrompts::popUp(QMenu& menu, QPoint globalPosition)
{
    return menu.exec(globalPosition);
}

} // namespace glint
