#include "Skin.h"

#include <QBitmap>
#include <QDir>
#include <QFileInfo>

#include "PlayerSettings.h"
#include "ShellError.h"

namespace {

const char* const coordinates = "Coordinates";

std::string keyFault(const SettingsSection& file, const char* key)
{
    return "The skin settings file \"" + file.filePath() + "\" has no valid \"" + key +
           "\" value in its [Coordinates] section.";
}

// A rectangle off the face would place a control where nothing of it shows,
// and numbers near the 32-bit limits would overflow the sums the window's
// geometry is made of.
SkinRect readSkinRect(const SettingsSection& file, const char* key, const Bitmap& face)
{
    SkinRect rect;
    const std::string text = file.getString(key);
    if (parseSkinRect(text, rect) != 4) throw ShellError(keyFault(file, key));
    if (!fitsFace(rect, face.width(), face.height()))
        throw ShellError(keyFault(file, key) + " \"" + text + "\" does not fit its face of " +
                         std::to_string(face.width()) + " x " + std::to_string(face.height()) + " pixels.");
    return rect;
}

std::uint32_t readSkinColour(const SettingsSection& file)
{
    SkinColourValue colour;
    if (parseSkinColour(file.getString("DisplayColour"), colour) != 3)
        throw ShellError(keyFault(file, "DisplayColour"));
    return packedColour(colour);
}

} // namespace

std::string skinBitmapPath(const PlayerSettings& settings, const char* fileName)
{
    const std::string folder = settings.getSkinDirectory();
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
    Bitmap mainUp = Bitmap::load(skinBitmapPath(settings, "MainUp.bmp"));
    Bitmap mainDown = Bitmap::load(skinBitmapPath(settings, "MainDown.bmp"));
    const SettingsSection file(settings.getSkin(), coordinates);
    // The keys in the order their controls are made.
    SkinRect about = readSkinRect(file, "About", mainUp);
    SkinRect minimize = readSkinRect(file, "Minimize", mainUp);
    SkinRect quit = readSkinRect(file, "Quit", mainUp);
    SkinRect prev = readSkinRect(file, "Prev", mainUp);
    SkinRect stop = readSkinRect(file, "Stop", mainUp);
    SkinRect pause = readSkinRect(file, "Pause", mainUp);
    SkinRect play = readSkinRect(file, "Play", mainUp);
    SkinRect next = readSkinRect(file, "Next", mainUp);
    SkinRect open = readSkinRect(file, "Open", mainUp);
    std::string displayFont = file.getString("DisplayFont");
    SkinRect displayBar = readSkinRect(file, "DisplayBar", mainUp);
    std::uint32_t displayColour = readSkinColour(file);
    SkinRect seekBar = readSkinRect(file, "SeekBar", mainUp);
    SkinRect displayTime = readSkinRect(file, "DisplayTime", mainUp);
    SkinRect displayKhz = readSkinRect(file, "DisplayKhz", mainUp);
    SkinRect displayBitrate = readSkinRect(file, "DisplayBitrate", mainUp);
    return std::unique_ptr<Skin>(new Skin{std::move(mainUp), std::move(mainDown), about, minimize, quit, prev, stop,
                                          pause, play, next, open, std::move(displayFont), displayBar, displayColour,
                                          seekBar, displayTime, displayKhz, displayBitrate});
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
