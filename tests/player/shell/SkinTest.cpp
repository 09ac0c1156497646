// Loading a skin, its refusals, and the window shape made from its face.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/inotify.h>
#include <unistd.h>

#include "Skin.h"
#include "Settings.h"
#include "ShellTestSupport.h"

namespace {

std::string loadFailure(const std::string& skin)
{
    TempFolder folder;
    PlayerSettings settings(folder.file("Sonorbox.ini"));
    settings.putSkin(skin);
    try {
        loadSkin(settings);
    } catch (const ShellError& error) {
        return error.what();
    }
    return "loaded";
}

// A skin folder like Vertical whose face is the given image.
std::string skinWithFace(const TempFolder& folder, const QImage& face)
{
    const std::filesystem::path from = std::filesystem::path(testSkin("Vertical")).parent_path();
    for (const char* name : {"Skin.ini", "MainDown.bmp", "About.bmp"})
        std::filesystem::copy_file(from / name, folder.file(name));
    EXPECT_TRUE(face.save(QString::fromStdString(folder.file("MainUp.bmp")), "BMP"));
    return folder.file("Skin.ini");
}

// A copy of Vertical whose files carry the given names.
std::string skinNamed(const TempFolder& folder, const std::map<std::string, std::string>& names)
{
    const std::filesystem::path from = std::filesystem::path(testSkin("Vertical")).parent_path();
    for (const auto& [name, as] : names) std::filesystem::copy_file(from / name, folder.file(as));
    return folder.file(names.at("Skin.ini"));
}

std::unique_ptr<Skin> loaded(const std::string& skin)
{
    TempFolder folder;
    PlayerSettings settings(folder.file("Sonorbox.ini"));
    settings.putSkin(skin);
    return loadSkin(settings);
}

} // namespace

TEST(SkinLoading, ReadsEveryKeyOfTheTestSkin)
{
    auto skin = loaded(testSkin("Vertical"));
    EXPECT_EQ(skin->mainUp.width(), 120);
    EXPECT_EQ(skin->mainUp.height(), 90);
    EXPECT_EQ(skin->mainDown.width(), 120);
    EXPECT_EQ(skin->about, (SkinRect{4, 4, 10, 8}));
    EXPECT_EQ(skin->quit, (SkinRect{104, 4, 10, 8}));
    EXPECT_EQ(skin->open, (SkinRect{74, 74, 12, 10}));
    EXPECT_EQ(skin->displayFont, "DejaVu Sans");
    EXPECT_EQ(skin->displayBar, (SkinRect{4, 16, 84, 10}));
    EXPECT_EQ(skin->displayColour, 0x00ffffu); // red 255, green 255, blue 0
    EXPECT_EQ(skin->seekBar, (SkinRect{100, 16, 8, 50}));
    EXPECT_EQ(skin->displayBitrate, (SkinRect{54, 40, 26, 10}));
}

TEST(SkinLoading, RefusesSkinsWithoutUsableBitmapsOrKeys)
{
    EXPECT_EQ(loadFailure(testSkin("NoBitmaps")), "Bitmap file could not be loaded.");
    EXPECT_EQ(loadFailure(testSkin("BadBitmap")), "Bitmap file could not be loaded.");
    const std::string missing = loadFailure(testSkin("MissingKey"));
    EXPECT_NE(missing.find("\"Play\""), std::string::npos) << missing;
    EXPECT_NE(missing.find(testSkin("MissingKey")), std::string::npos) << missing;
}

TEST(SkinLoading, RefusesARectangleOffTheFaceWithTheKeysMessage)
{
    const std::filesystem::path from = std::filesystem::path(testSkin("Vertical")).parent_path();
    const auto withPlay = [&](const TempFolder& folder, const std::string& play) {
        for (const char* name : {"MainUp.bmp", "MainDown.bmp", "About.bmp"})
            std::filesystem::copy_file(from / name, folder.file(name));
        std::ifstream in(from / "Skin.ini");
        std::string text((std::istreambuf_iterator<char>(in)), {});
        const std::size_t at = text.find("Play=46, 74, 12, 10");
        text.replace(at, std::string("Play=46, 74, 12, 10").size(), "Play=" + play);
        return folder.write("Skin.ini", text);
    };
    // The face is 120 x 90. Numbers at the 32-bit limits, and one past them
    // (read as the nearest limit), would overflow the window's sums.
    for (const char* play : {"2147483647, 74, 12, 10", "46, 74, 2147483647, 10", "-2147483648, 74, 12, 10",
                             "46, -2147483648, 12, -2147483648", "99999999999, 99999999999, 1, 1",
                             "46, 74, 12, 99999999999", "110, 74, 12, 10", "-1, 74, 12, 10", "5, 5, -6, 10"}) {
        TempFolder folder;
        const std::string skin = withPlay(folder, play);
        const std::string failure = loadFailure(skin);
        EXPECT_NE(failure.find("no valid \"Play\" value"), std::string::npos) << play << ": " << failure;
        EXPECT_NE(failure.find(skin), std::string::npos) << failure;
        EXPECT_NE(failure.find("does not fit its face of 120 x 90 pixels"), std::string::npos) << failure;
    }
    // Up to the face's edges, and empty or turned round within it, a
    // rectangle is no fault.
    for (const char* play : {"108, 80, 12, 10", "0, 0, 120, 90", "46, 74, 0, 0", "46, 74, -12, -10"}) {
        TempFolder folder;
        EXPECT_EQ(loadFailure(withPlay(folder, play)), "loaded") << play;
    }
}

TEST(SkinLoading, FindsTheBitmapsWhateverTheCaseOfTheirNames)
{
    TempFolder folder;
    const std::string skin = skinNamed(folder, {{"Skin.ini", "skin.ini"},
                                                {"MainUp.bmp", "mainup.bmp"},
                                                {"MainDown.bmp", "MAINDOWN.BMP"},
                                                {"About.bmp", "about.bmp"}});
    auto face = loaded(skin);
    EXPECT_EQ(face->mainUp.width(), 120);
    EXPECT_EQ(face->mainDown.height(), 90);
    PlayerSettings settings(folder.file("Sonorbox.ini"));
    settings.putSkin(skin);
    EXPECT_EQ(skinBitmapPath(settings, "About.bmp"), folder.file("about.bmp"));
    // A name written exactly is taken before one that differs in case only.
    std::filesystem::copy_file(folder.file("about.bmp"), folder.file("About.bmp"));
    EXPECT_EQ(skinBitmapPath(settings, "About.bmp"), folder.file("About.bmp"));
    // A missing bitmap is still missing.
    std::filesystem::remove(folder.file("mainup.bmp"));
    EXPECT_EQ(loadFailure(skin), "Bitmap file could not be loaded.");
}

TEST(SkinLoading, RefusesABitmapCutShort)
{
    for (const char* cut : {"MainUp.bmp", "MainDown.bmp"}) {
        TempFolder folder;
        const std::string skin = skinNamed(folder, {{"Skin.ini", "Skin.ini"},
                                                    {"MainUp.bmp", "MainUp.bmp"},
                                                    {"MainDown.bmp", "MainDown.bmp"},
                                                    {"About.bmp", "About.bmp"}});
        // Its headers whole, the last row's pixels missing.
        std::filesystem::resize_file(folder.file(cut), std::filesystem::file_size(folder.file(cut)) - 1);
        EXPECT_EQ(loadFailure(skin), "Bitmap file could not be loaded.") << cut;
    }
}

TEST(SkinLoading, RefusesAnAbsurdlyLargeFace)
{
    TempFolder folder;
    QImage huge(Bitmap::maxSide + 1, 2, QImage::Format_RGB32);
    huge.fill(Qt::gray);
    EXPECT_EQ(loadFailure(skinWithFace(folder, huge)), "Bitmap file could not be loaded.");
}

TEST(WindowShape, IsExactlyThePixelsUnlikeTheTopLeftOne)
{
    auto skin = loaded(testSkin("Vertical"));
    const QImage& face = skin->mainUp.image();
    const QRegion region = buildWindowRegion(skin->mainUp);
    const QRgb corner = face.pixel(0, 0);
    int opaque = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const bool inside = face.pixel(x, y) != corner;
            opaque += inside;
            ASSERT_EQ(region.contains(QPoint(x, y)), inside) << "at " << x << ", " << y;
        }
    // The body, the lone corner pixel, less the one-pixel hole.
    EXPECT_EQ(opaque, 116 * 86 - 1 + 1);
    EXPECT_FALSE(region.contains(QPoint(90, 50)));
    EXPECT_TRUE(region.contains(QPoint(119, 89)));
}

TEST(WindowShape, OnlyTheExactColourIsTransparent)
{
    TempFolder folder;
    QImage face(6, 4, QImage::Format_RGB32);
    face.fill(qRgb(255, 0, 254)); // one step from the corner's colour: opaque
    face.setPixel(0, 0, qRgb(255, 0, 255));
    // A face this small fits no rectangle of a skin: the bitmap alone.
    ASSERT_TRUE(face.save(QString::fromStdString(folder.file("MainUp.bmp")), "BMP"));
    const QRegion region = buildWindowRegion(Bitmap::load(folder.file("MainUp.bmp")));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    int area = 0;
    for (const QRect& part : region) area += part.width() * part.height();
    EXPECT_EQ(area, 6 * 4 - 1);
}

TEST(SkinLoading, ReadsSkinIniOnceALoad)
{
    // A copy of its own, which no other test opens meanwhile.
    TempFolder folder;
    std::filesystem::copy(std::filesystem::path(testSkin("Vertical")).parent_path(), folder.file(""));
    const std::string skin = folder.file("Skin.ini");
    // The system counts every opening of the file: one for the sixteen keys.
    // Its closings are watched too, since the system merges an event into the
    // same one unread before it.
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, skin.c_str(), IN_OPEN | IN_CLOSE), 0);
    auto face = loaded(skin);
    EXPECT_EQ(face->displayBitrate, (SkinRect{54, 40, 26, 10}));
    int opened = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;)
        for (char* at = events; at < events + got;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            opened += (reinterpret_cast<inotify_event*>(at)->mask & IN_OPEN) != 0;
    close(watch);
    EXPECT_EQ(opened, 1);
}
