// The settings file's rules: names without regard to case, missing reads as
// nothing, a write keeps every other line, and a write that cannot finish
// leaves the old file and says so. Saves through links, of two processes at
// once, beside an editor, and of a file grown far too large.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mount.h>
#endif

#include "Settings.h"
#include "TempFolder.h"

namespace {

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(IniText, FindsSectionsAndKeysWithoutRegardToCase)
{
    const std::string text = "[Sonorbox]\nskin = /skins/Blue/Skin.ini \nSong=a.mp3\n[Position]\nx=-12\n";
    EXPECT_EQ(initext::lookup(text, "SONORBOX", "SKIN"), "/skins/Blue/Skin.ini");
    EXPECT_EQ(initext::lookup(text, "sonorbox", "song"), "a.mp3");
    EXPECT_EQ(initext::lookup(text, "position", "X"), "-12");
    EXPECT_EQ(initext::lookup(text, "Position", "y"), std::nullopt);
    EXPECT_EQ(initext::lookup(text, "Missing", "x"), std::nullopt);
    // A key of another section is not this section's.
    EXPECT_EQ(initext::lookup(text, "Position", "skin"), std::nullopt);
}

TEST(IniText, ReadsWindowsLineEndsCommentsAndTheFirstOfTwins)
{
    const std::string text = "; written by hand\r\n[A]\r\n;k=commented\r\nk=first\r\nk=second\r\n[a]\r\nk=third\r\n";
    EXPECT_EQ(initext::lookup(text, "A", "k"), "first");
    EXPECT_EQ(initext::lookup(text, "A", ";k"), std::nullopt);
    EXPECT_EQ(initext::lookup("[A]\nempty=\n", "A", "empty"), "");
    EXPECT_EQ(initext::lookup("[A]\nk=v", "A", "k"), "v"); // no line break at the end
}

TEST(IniText, AWriteChangesItsOwnLineAndKeepsEveryOtherByteForByte)
{
    const std::string text = "; mine\n[Sonorbox]\nskin=/old/Skin.ini\n  ; keep me\nPure=1\n\n[Position]\nx=3\n";
    EXPECT_EQ(initext::withValue(text, "SONORBOX", "skin", "/new/Skin.ini"),
              "; mine\n[Sonorbox]\nskin=/new/Skin.ini\n  ; keep me\nPure=1\n\n[Position]\nx=3\n");
    // A new key goes after the section's last key, before its trailing blank line.
    EXPECT_EQ(initext::withValue(text, "Sonorbox", "song", "b.mp3"),
              "; mine\n[Sonorbox]\nskin=/old/Skin.ini\n  ; keep me\nPure=1\nsong=b.mp3\n\n[Position]\nx=3\n");
    // A new section goes at the end; Windows line ends stay Windows line ends.
    EXPECT_EQ(initext::withValue("[A]\r\nk=v", "Position", "y", "-5"), "[A]\r\nk=v\r\n[Position]\r\ny=-5\r\n");
    EXPECT_EQ(initext::withValue("", "Sonorbox", "skin", ""), "[Sonorbox]\nskin=\n");
    EXPECT_EQ(initext::withValue("[Position]", "position", "x", "1"), "[Position]\nx=1\n");
}

TEST(IniFile, MissingFileReadsAsNothingAndAWriteCreatesIt)
{
    TempFolder folder;
    IniFile file(folder.file("Sonorbox.ini"));
    EXPECT_EQ(file.read("Sonorbox", "skin"), std::nullopt);
    ASSERT_TRUE(file.write("Sonorbox", "skin", "/skins/Default/Skin.ini"));
    ASSERT_TRUE(file.write("Position", "x", "-40"));
    EXPECT_EQ(file.read("sonorbox", "Skin"), "/skins/Default/Skin.ini");
    EXPECT_EQ(contentOf(file.path()), "[Sonorbox]\nskin=/skins/Default/Skin.ini\n[Position]\nx=-40\n");
    EXPECT_FALSE(std::filesystem::exists(file.path() + ".new"));
}

TEST(IniFile, ValuesAreReadWholeHoweverLong)
{
    TempFolder folder;
    IniFile file(folder.file("Sonorbox.ini"));
    const std::string longPath = "/" + std::string(600, 'm') + "/song.mp3";
    ASSERT_TRUE(file.write("Sonorbox", "song", longPath));
    EXPECT_EQ(file.read("Sonorbox", "song"), longPath);
}

TEST(IniFile, AValueWithALineBreakIsRefusedAndChangesNothing)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nsong=a.mp3\n");
    IniFile file(path);
    EXPECT_FALSE(file.write("Sonorbox", "song", "b.mp3\n[Sonorbox]\nskin="));
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");
}

TEST(IniFile, AWriteThatCannotFinishLeavesTheOldFile)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nsong=a.mp3\n");
    // The temporary file cannot be made: a folder stands in its place.
    std::filesystem::create_directory(path + ".new");
    IniFile file(path);
    EXPECT_FALSE(file.write("Sonorbox", "song", "b.mp3"));
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");
}

TEST(IniFile, AWriteKeepsTheFilesPermissions)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\n");
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::owner_write);
    ASSERT_TRUE(IniFile(path).write("Sonorbox", "song", "a.mp3"));
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all, perms::owner_read | perms::owner_write);
}

TEST(SettingsSection, GetIntReadsLikeTheCLibrary)
{
    TempFolder folder;
    const std::string path =
        folder.write("s.ini", "[S]\na=  42\nb=-7x\nc=+3\nd=abc\ne=\nf=99999999999\ng=-99999999999\nh=1 2\n");
    SettingsSection section(path, "S");
    EXPECT_EQ(section.getInt("a"), 42);
    EXPECT_EQ(section.getInt("b"), -7);
    EXPECT_EQ(section.getInt("c"), 3);
    EXPECT_EQ(section.getInt("d"), 0);
    EXPECT_EQ(section.getInt("e"), 0);
    EXPECT_EQ(section.getInt("missing"), 0);
    EXPECT_EQ(section.getInt("f"), 2147483647);
    EXPECT_EQ(section.getInt("g"), -2147483647 - 1);
    EXPECT_EQ(section.getInt("h"), 1);
    section.putInt("x", -2147483647 - 1);
    EXPECT_EQ(section.getString("x"), "-2147483648");
    EXPECT_EQ(section.getString("missing"), "");
}

TEST(IniFile, ALinkedFileIsSavedAtItsTargetKeepingTheLinkAndTheTargetsMode)
{
    TempFolder folder;
    // As a dotfiles folder keeps it: the settings file a link to a file
    // elsewhere, itself reached through a relative link.
    const std::string target = folder.write("dotfiles/sonorbox/Sonorbox.ini", "; mine\n[Sonorbox]\nskin=/s/Skin.ini\n");
    using std::filesystem::perms;
    std::filesystem::permissions(target, perms::owner_read | perms::owner_write | perms::group_read);
    std::filesystem::create_directories(folder.file("config"));
    std::filesystem::create_symlink("../dotfiles/sonorbox/Sonorbox.ini", folder.file("config/middle.ini"));
    std::filesystem::create_symlink(folder.file("config/middle.ini"), folder.file("config/Sonorbox.ini"));
    const std::string link = folder.file("config/Sonorbox.ini");

    ASSERT_TRUE(IniFile(link).write("Sonorbox", "song", "a.mp3"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("config/middle.ini")));
    EXPECT_EQ(contentOf(target), "; mine\n[Sonorbox]\nskin=/s/Skin.ini\nsong=a.mp3\n");
    EXPECT_EQ(std::filesystem::status(target).permissions() & perms::all,
              perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(IniFile(link).read("Sonorbox", "song"), "a.mp3");
    EXPECT_FALSE(std::filesystem::exists(folder.file("config/Sonorbox.ini.new")));
    EXPECT_FALSE(std::filesystem::exists(target + ".new"));

    // A link whose target is not there yet makes it.
    std::filesystem::create_symlink(folder.file("dotfiles/new.ini"), folder.file("config/fresh.ini"));
    ASSERT_TRUE(IniFile(folder.file("config/fresh.ini")).write("Position", "x", "3"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("config/fresh.ini")));
    EXPECT_EQ(contentOf(folder.file("dotfiles/new.ini")), "[Position]\nx=3\n");
}

#ifndef _WIN32
TEST(IniFile, TwoProcessesSavingAtOnceLoseNoKey)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nskin=/s/Skin.ini\n");
    constexpr int keys = 150;
    std::vector<pid_t> writers;
    for (const char* prefix : {"a", "b"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool all = true;
            for (int i = 0; i < keys; ++i)
                all = IniFile(path).write("Sonorbox", prefix + std::to_string(i), std::to_string(i)) && all;
            ::_exit(all ? 0 : 1);
        }
        writers.push_back(child);
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }
    const IniFile file(path);
    int missing = 0;
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < keys; ++i)
            if (file.read("Sonorbox", prefix + std::to_string(i)) != std::to_string(i)) ++missing;
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(file.read("Sonorbox", "skin"), "/s/Skin.ini");
}
#endif

TEST(IniFile, AFileEmptiedByAnEditorSavingInPlaceIsNotSavedEmpty)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nskin=/old/Skin.ini\n");
    // The editor empties the file, and writes it a moment later.
    std::FILE* editor = std::fopen(path.c_str(), "wb");
    ASSERT_NE(editor, nullptr);
    std::thread finishing([editor] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        std::fputs("[Sonorbox]\nskin=/edited/Skin.ini\n", editor);
        std::fclose(editor);
    });
    const bool written = IniFile(path).write("Sonorbox", "song", "a.mp3");
    finishing.join();
    ASSERT_TRUE(written);
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nskin=/edited/Skin.ini\nsong=a.mp3\n");
}

TEST(IniFile, ASaveThatFailsSaysSoNamingTheFileAndKeepsIt)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nsong=a.mp3\n");
    // The temporary file cannot be made, save after save: a folder with a
    // file in it stands in its place.
    folder.write("Sonorbox.ini.new/in the way", "");
    const IniFile::Written written = IniFile(path).save("Sonorbox", "song", "b.mp3");
    EXPECT_FALSE(written.written);
    EXPECT_EQ(written.notice, IniFile::Notice::notSaved);
    EXPECT_NE(written.text.find("\"" + path + "\""), std::string::npos) << written.text;
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");

    // Told once a run, however often the settings are saved.
    std::vector<std::string> told;
    SettingsNotices notices([&](const std::string& text) { told.push_back(text); });
    SettingsSection sonorbox(path, "Sonorbox");
    SettingsSection position(path, "Position");
    sonorbox.setNotices(&notices);
    position.setNotices(&notices);
    sonorbox.putString("song", "c.mp3");
    position.putInt("x", 4);
    sonorbox.putInt("Volume", 20);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], written.text);
    EXPECT_EQ(contentOf(path), "[Sonorbox]\nsong=a.mp3\n");
    // A value refused for its line break is no failure of the file.
    std::filesystem::remove_all(path + ".new");
    EXPECT_EQ(IniFile(path).save("Sonorbox", "song", "x\ny").notice, IniFile::Notice::none);
}

TEST(IniFile, AHugeFileIsReadUpToTheBoundAndKeptWholeAsideAtItsFirstSave)
{
    TempFolder folder;
    std::string text = "[Sonorbox]\r\nskin=/s/Skin.ini\r\n";
    while (text.size() < IniFile::maxReadBytes - IniFile::headroomBytes - 40)
        text += "; filler filler filler filler filler\r\n";
    // Past the part read: lines that would leave no room for the settings
    // to change without passing the bound again.
    text += "near=the bound, cut in the middle of its line\r\n[Position]\r\nx=7\r\n";
    const std::string path = folder.write("Sonorbox.ini", text + std::string(3 << 20, 'z'));
    const IniFile file(path);
    EXPECT_EQ(file.read("Sonorbox", "skin"), "/s/Skin.ini");
    EXPECT_EQ(file.read("Position", "x"), std::nullopt) << "past the bound";

    const IniFile::Written first = file.save("Sonorbox", "song", "a.mp3");
    ASSERT_TRUE(first.written);
    EXPECT_EQ(first.notice, IniFile::Notice::keptAside);
    EXPECT_NE(first.text.find(path + ".large"), std::string::npos) << first.text;
    EXPECT_EQ(contentOf(path + ".large"), text + std::string(3 << 20, 'z'));
    const std::string saved = contentOf(path);
    EXPECT_LT(saved.size(), IniFile::maxReadBytes);
    EXPECT_EQ(saved.rfind("[Sonorbox]\r\nskin=/s/Skin.ini\r\nsong=a.mp3\r\n; filler", 0), 0u);
    EXPECT_EQ(file.read("Sonorbox", "song"), "a.mp3");
    // From then on the file is of a sane size: nothing more to tell.
    const IniFile::Written second = file.save("Sonorbox", "Volume", "40");
    EXPECT_TRUE(second.written);
    EXPECT_EQ(second.notice, IniFile::Notice::none);
    EXPECT_FALSE(std::filesystem::exists(path + ".large.2"));
}

#ifdef __linux__
TEST(IniFile, ASaveOnAFullOrReadOnlyDiskSaysWhyAndKeepsTheOldFileWhole)
{
    TempFolder folder;
    const std::string disk = folder.file("disk");
    std::filesystem::create_directory(disk);
    // A disk of 64 KB of its own; only root may make one.
    if (::geteuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a small disk of its own needs root";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    std::string settings = "[Sonorbox]\nskin=/s/Skin.ini\n";
    while (settings.size() < 20000) settings += "; a comment of the user's own, to keep\n";
    const std::string path = disk + "/Sonorbox.ini";
    std::ofstream(path, std::ios::binary) << settings;
    // The rest of the disk filled.
    {
        std::FILE* filler = std::fopen((disk + "/filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
        }
        std::fclose(filler);
    }
    const IniFile::Written written = IniFile(path).save("Sonorbox", "song", "a.mp3");
    EXPECT_FALSE(written.written);
    EXPECT_EQ(written.notice, IniFile::Notice::notSaved);
    EXPECT_NE(written.text.find("\"" + path + "\""), std::string::npos) << written.text;
    EXPECT_NE(written.text.find(std::generic_category().message(ENOSPC)), std::string::npos) << written.text;
    EXPECT_EQ(contentOf(path), settings);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    // The same disk made read-only, the lock file not yet there.
    std::filesystem::remove(disk + "/filler");
    std::filesystem::remove(path + ".lock");
    ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    const IniFile::Written readOnly = IniFile(path).save("Sonorbox", "song", "a.mp3");
    EXPECT_FALSE(readOnly.written);
    EXPECT_NE(readOnly.text.find(std::generic_category().message(EROFS)), std::string::npos) << readOnly.text;
    EXPECT_EQ(contentOf(path), settings);
}
#endif

#ifndef _WIN32
TEST(IniFile, AFileThatIsAPipeIsNeitherWaitedForNorReplaced)
{
    TempFolder folder;
    const std::string path = folder.file("Sonorbox.ini");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const IniFile file(path);
    EXPECT_EQ(file.read("Sonorbox", "skin"), std::nullopt);
    const IniFile::Written written = file.save("Sonorbox", "song", "a.mp3");
    EXPECT_FALSE(written.written);
    EXPECT_EQ(written.notice, IniFile::Notice::notSaved);
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}
#endif
