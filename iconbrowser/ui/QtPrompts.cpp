#include "Prompts.h"

#include "SaveAsBitmap.h"

#include <QFileDialog>
#include <QMenu>

namespace glint {

void QtPrompts::message(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.exec();
}

QString QtPrompts::askSavePath(QWidget* owner)
{
    QFileDialog dialog(owner);
    configureSaveDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QAction* QtPrompts::popUp(QMenu& menu, QPoint globalPosition)
{
    return menu.exec(globalPosition);
}

} // namespace glint
