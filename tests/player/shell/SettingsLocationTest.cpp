// Where the settings file lives: beside the program when a writable one is
// there, otherwise in the user's configuration folder, made on the first
// start and naming the default skin.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <unistd.h>

#include "Settings.h"
#include "TempFolder.h"

namespace {

using settingslocation::settingsFileFor;

struct Places {
    TempFolder program;
    TempFolder home;
    TempFolder skins;
    std::string config = home.file(".config/sonorbox");
    std::string skin = skins.write("Default/Skin.ini", "[Coordinates]\n");
    std::string settingsFile() const { return settingsFileFor(program.path(), config, skin); }
};

std::string read(const std::string& path, const char* section, const char* key)
{
    return IniFile(path).read(section, key).value_or("(missing)");
}

} // namespace

TEST(SettingsLocation, AWritableFileBesideTheProgramIsKeptAndTheUsersFolderLeftAlone)
{
    Places places;
    const std::string beside = places.program.write("Sonorbox.ini", "[Sonorbox]\nsong=/music/a.mp3\n");
    EXPECT_EQ(places.settingsFile(), beside);
    EXPECT_EQ(read(beside, "Sonorbox", "song"), "/music/a.mp3");
    EXPECT_FALSE(std::filesystem::exists(places.config));
}

TEST(SettingsLocation, WithoutOneTheUsersFileIsMadeOnceNamingTheDefaultSkin)
{
    Places places;
    const std::string made = places.settingsFile();
    EXPECT_EQ(made, places.home.file(".config/sonorbox/Sonorbox.ini"));
    EXPECT_EQ(read(made, "Sonorbox", "skin"), places.skin);
    EXPECT_FALSE(std::filesystem::exists(places.program.file("Sonorbox.ini")));

    // Later starts keep what the user has since chosen, even an empty skin.
    IniFile(made).write("Sonorbox", "skin", "");
    IniFile(made).write("Position", "x", "-12");
    EXPECT_EQ(places.settingsFile(), made);
    EXPECT_EQ(read(made, "Sonorbox", "skin"), "");
    EXPECT_EQ(read(made, "Position", "x"), "-12");
}

TEST(SettingsLocation, WithoutADefaultSkinNothingIsWrittenAndTheChooserWillAsk)
{
    Places places;
    places.skin = places.skins.file("Gone/Skin.ini");
    const std::string path = places.settingsFile();
    EXPECT_EQ(path, places.home.file(".config/sonorbox/Sonorbox.ini"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_directory(places.config));
}

TEST(SettingsLocation, AFolderNamedLikeTheFileBesideTheProgramIsNotTheSettings)
{
    Places places;
    std::filesystem::create_directory(places.program.file("Sonorbox.ini"));
    EXPECT_EQ(places.settingsFile(), places.home.file(".config/sonorbox/Sonorbox.ini"));
}

TEST(SettingsLocation, AReadOnlyFileBesideTheProgramSendsTheSettingsToTheUsersFolder)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file, so no file is read-only to this test";
    Places places;
    const std::string beside = places.program.write("Sonorbox.ini", "[Sonorbox]\nskin=/elsewhere/Skin.ini\n");
    std::filesystem::permissions(beside, std::filesystem::perms::owner_read);
    const std::string path = places.settingsFile();
    EXPECT_EQ(path, places.home.file(".config/sonorbox/Sonorbox.ini"));
    EXPECT_EQ(read(path, "Sonorbox", "skin"), places.skin);
}

TEST(SettingsLocation, AUsersFolderThatCannotBeMadeLosesTheWritesButNotTheStart)
{
    Places places;
    places.home.write(".config", "a file where the folder should be");
    const std::string path = places.settingsFile();
    EXPECT_EQ(path, places.home.file(".config/sonorbox/Sonorbox.ini"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SettingsLocation, TheUsersFolderFollowsXdgConfigHome)
{
    TempFolder config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    EXPECT_EQ(settingslocation::userConfigFolder(), config.file("sonorbox"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(SettingsLocation, TheDefaultSkinIsBesideTheProgramOrInTheInstalledDataFolder)
{
    TempFolder tree;
    // An installed tree: the program in bin/, its skin under share/sonorbox.
    const std::string installed = tree.write("share/sonorbox/skins/Default/Skin.ini", "[Coordinates]\n");
    std::filesystem::create_directories(tree.file("bin"));
    EXPECT_EQ(QFileInfo(QString::fromStdString(settingslocation::defaultSkinFor(tree.file("bin")))).canonicalFilePath(),
              QFileInfo(QString::fromStdString(installed)).canonicalFilePath());
    // A build folder or portable copy: the skin beside the program comes first.
    const std::string beside = tree.write("bin/skins/Default/Skin.ini", "[Coordinates]\n");
    EXPECT_EQ(settingslocation::defaultSkinFor(tree.file("bin")), beside);
}
