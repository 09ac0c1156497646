#include "SaveAsBitmap.h"

#include <QFileDialog>
#include <QSaveFile>

namespace glint {

void configureSaveDialog(QFileDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Save As Bitmap"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Bitmap Files (*.bmp)"));
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(QStringLiteral("Untitled.bmp"));
}

QString writeBitmap(const QImage& picture, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!picture.save(&file, "BMP")) {
        file.cancelWriting();
        return file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the picture could not be encoded");
    }
    if (!file.commit()) return file.errorString();
    return {};
}

} // namespace glint
