#include "Skin.h"

#include <QBitmap>
#include <QDir>
#include <QFileInfo>

#include "PathText.h"
#include "Settings.h"

std::string skinBitmapPath(const PlayerSettings& settings, const char* fileName)
{
    return skinBitmapPath(settings.skinFile(), fileName);
}

std::string skinBitmapPath(const std::string& skinFile, const char* fileName)
{
    const std::string folder = skinFile.substr(0, skinFile.size() - pathtext::fileNameOf(skinFile).size());
    const std::string exact = folder + fileName;
    if (QFileInfo::exists(QString::fromStdString(exact))) return exact;
    // Windows matches file names without regard to case, so skins made there
    // name their bitmaps in any case ("mainup.bmp", "MAINDOWN.BMP"). A name
    // filter of a folder listing matches without regard to case; of several
    // such files the first by name is taken.
    const QDir skinFolder(QString::fromStdString(folder.empty() ? std::string(".") : folder));
    const QStringList found =
        skinFolder.entryList({QString::fromLatin1(fileName)}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    return found.isEmpty() ? exact : folder + found.front().toStdString();
}

std::unique_ptr<Skin> loadSkin(const PlayerSettings& settings)
{
    return loadSkin(settings.skinFile());
}

std::unique_ptr<Skin> loadSkin(const std::string& skinFile)
{
    Bitmap mainUp = Bitmap::load(skinBitmapPath(skinFile, "MainUp.bmp"));
    Bitmap mainDown = Bitmap::load(skinBitmapPath(skinFile, "MainDown.bmp"));
    SkinLayoutReading reading =
        readSkinLayout(IniFile(skinFile).readSections(), skinFile, mainUp.width(), mainUp.height());
    if (!reading.fault.empty()) throw ShellError(reading.fault);
    return std::unique_ptr<Skin>(new Skin{std::move(reading.layout), std::move(mainUp), std::move(mainDown)});
}

BitmapPiece pieceAt(const Bitmap& bitmap, const SkinRect& rect)
{
    return BitmapPiece{&bitmap, rect.x, rect.y, rect.width, rect.height, 0, 0};
}

QRegion buildWindowRegion(const Bitmap& mainUp)
{
    const QImage& face = mainUp.image();
    if (face.isNull()) return QRegion();
    const QRgb transparent = face.pixel(0, 0);
    // The mask image has its bits set on the pixels of that colour, and the
    // bitmap made from it takes set bits as colour0: the region is then the
    // other pixels. A test holds this to the pixel.
    const QImage mask = face.createMaskFromColor(transparent, Qt::MaskInColor);
    return QRegion(QBitmap::fromImage(mask));
}
