#include "SaveIcon.h"

#include <QFileDialog>
#include <QSaveFile>

#include <array>
#include <functional>

namespace glint {

namespace {

struct Filter {
    SaveFormat format;
    QString text;
    QString extension;
};

// In the dialog's order; the first is the one chosen when it opens.
const std::array<Filter, 3>& filters()
{
    static const std::array<Filter, 3> all{{
        {SaveFormat::Bitmap, QStringLiteral("Bitmap Files (*.bmp)"), QStringLiteral("bmp")},
        {SaveFormat::Png, QStringLiteral("PNG Image (*.png)"), QStringLiteral("png")},
        {SaveFormat::IconFile, QStringLiteral("Icon File (*.ico)"), QStringLiteral("ico")},
    }};
    return all;
}

const Filter& filterOf(SaveFormat format)
{
    for (const Filter& filter : filters())
        if (filter.format == format) return filter;
    return filters().front();
}

// Writes through `encode` into a file that replaces `path` only once whole.
QString writeWhole(const QString& path, const std::function<bool(QSaveFile&)>& encode)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!encode(file)) {
        file.cancelWriting();
        return file.error() != QFileDevice::NoError ? file.errorString()
                                                    : QStringLiteral("the picture could not be encoded");
    }
    if (!file.commit()) return file.errorString();
    return {};
}

} // namespace

void configureSaveDialog(QFileDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Save As Bitmap"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList texts;
    for (const Filter& filter : filters()) texts << filter.text;
    dialog.setNameFilters(texts);
    dialog.selectNameFilter(texts.front());
    dialog.setDefaultSuffix(filterOf(SaveFormat::Bitmap).extension);
    // The dialog adds the chosen filter's extension to a name typed without any.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filterOf(formatOfFilter(filter)).extension);
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(QStringLiteral("Untitled.bmp"));
}

SaveFormat formatOfFilter(const QString& filter)
{
    for (const Filter& known : filters())
        if (known.text == filter) return known.format;
    return SaveFormat::Bitmap;
}

QString withExtension(const QString& path, SaveFormat format)
{
    const QString extension = QLatin1Char('.') + filterOf(format).extension;
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

SaveTarget saveTargetFor(const QString& chosen, SaveFormat filterFormat)
{
    for (const Filter& filter : filters())
        if (chosen.endsWith(QLatin1Char('.') + filter.extension, Qt::CaseInsensitive)) return {chosen, filter.format};
    return {withExtension(chosen, filterFormat), filterFormat};
}

QString writeBitmap(const QImage& picture, const QString& path)
{
    return writeWhole(path, [&picture](QSaveFile& file) { return picture.save(&file, "BMP"); });
}

QString writeBytes(const QByteArray& bytes, const QString& path)
{
    return writeWhole(path, [&bytes](QSaveFile& file) { return file.write(bytes) == bytes.size(); });
}

} // namespace glint
