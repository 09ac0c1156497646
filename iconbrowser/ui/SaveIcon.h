#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QFileDialog;

namespace glint {

// What Save writes: the first box's picture as a Windows bitmap, the icon's
// largest image as a PNG image, or the whole icon as an icon file.
enum class SaveFormat { Bitmap, Png, IconFile };

// The user's answer to the save dialog: no path when cancelled.
struct SaveTarget {
    QString path;
    SaveFormat format = SaveFormat::Bitmap;
};

// Sets the dialog up afresh for saving an icon: title "Save As Bitmap", the
// name "Untitled.bmp" every time, the filters "Bitmap Files" (first and
// chosen), "PNG Image" and "Icon File", the chosen filter's extension
// appended to a name typed without one, and a question before an existing
// file is replaced.
void configureSaveDialog(QFileDialog& dialog);

// The format a filter of that dialog stands for.
SaveFormat formatOfFilter(const QString& filter);

// What a name chosen under the filter of `filterFormat` saves: a name that
// ends in an offered type's extension (any letter case) is that type, as
// typed; any other name gets the filter's extension and type.
SaveTarget saveTargetFor(const QString& chosen, SaveFormat filterFormat);

// `path` ending in the format's extension (in any letter case): as it is
// when it does, with the extension added when it does not.
QString withExtension(const QString& path, SaveFormat format);

// Writes `picture` to `path` as a Windows bitmap, or `bytes` as they are. The
// file appears whole or not at all: a failed write (read-only folder, full
// disk) leaves no partial file and no changed old one. Returns why it
// failed, or an empty text.
QString writeBitmap(const QImage& picture, const QString& path);
QString writeBytes(const QByteArray& bytes, const QString& path);

} // namespace glint
