#pragma once

#include <QImage>
#include <QString>

class QFileDialog;

namespace glint {

// Sets the dialog up afresh for saving an icon: title "Save As Bitmap", the
// name "Untitled.bmp" every time, "Bitmap Files" listing *.bmp, ".bmp"
// appended to a name typed without an extension, and a question before an
// existing file is replaced.
void configureSaveDialog(QFileDialog& dialog);

// Writes `picture` to `path` as a Windows bitmap. The file appears whole or
// not at all: a failed write (read-only folder, full disk) leaves no partial
// file and no changed old one. Returns why it failed, or an empty text.
QString writeBitmap(const QImage& picture, const QString& path);

} // namespace glint
