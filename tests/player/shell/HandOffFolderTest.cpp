// Where the hand-off lives: the runtime folder only when it is private, else
// a folder of the player's own, and never one that another user made or may
// enter.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "HandOff.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

const unsigned me = unsigned(::getuid());

std::string privateFolderIn(const TempFolder& base, const std::string& name, fs::perms mode = fs::perms::owner_all)
{
    const std::string folder = base.file(name);
    fs::create_directory(folder);
    fs::permissions(folder, mode, fs::perm_options::replace);
    return folder;
}

std::string ownFolderIn(const TempFolder& base)
{
    return base.file("sonorbox-" + std::to_string(me));
}

} // namespace

TEST(HandOffFolder, APrivateRuntimeFolderIsTheOne)
{
    TempFolder base;
    const std::string runtime = privateFolderIn(base, "runtime");
    std::string why;
    EXPECT_EQ(handofffolder::choose(runtime, base.path(), me, why), runtime);
    EXPECT_FALSE(fs::exists(ownFolderIn(base))) << "no folder of its own is made then";
}

TEST(HandOffFolder, WithoutAPrivateRuntimeFolderItsOwnIsMadeForTheUserAlone)
{
    TempFolder base;
    const std::string open = privateFolderIn(base, "open",
                                             fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
    fs::create_directory_symlink(privateFolderIn(base, "real"), base.file("link"));
    for (const std::string& runtime : {std::string(), base.file("missing"), open, base.file("link")}) {
        std::string why;
        EXPECT_EQ(handofffolder::choose(runtime, base.path(), me, why), ownFolderIn(base)) << runtime;
        struct stat made {};
        ASSERT_EQ(::lstat(ownFolderIn(base).c_str(), &made), 0);
        EXPECT_TRUE(S_ISDIR(made.st_mode));
        EXPECT_EQ(made.st_mode & 0777, 0700u);
        EXPECT_EQ(made.st_uid, me);
    }
}

TEST(HandOffFolder, EachFaultOfAFolderIsNamed)
{
    TempFolder base;
    EXPECT_EQ(handofffolder::faultOf(privateFolderIn(base, "mine"), me), std::nullopt);
    EXPECT_EQ(handofffolder::faultOf(privateFolderIn(base, "mine"), me + 1), "belongs to another user");
    EXPECT_EQ(handofffolder::faultOf(privateFolderIn(base, "shared", fs::perms::owner_all | fs::perms::group_all), me),
              "is open to other users (mode 0770)");
    EXPECT_EQ(handofffolder::faultOf(base.write("file", "x"), me), "is not a folder");
    fs::create_directory_symlink(privateFolderIn(base, "mine"), base.file("link"));
    EXPECT_EQ(handofffolder::faultOf(base.file("link"), me), "is not a folder") << "a link is not followed";
    EXPECT_EQ(handofffolder::faultOf(base.file("missing"), me), "cannot be read: No such file or directory");
}

TEST(HandOffFolder, AFolderOfItsOwnNameThatIsNotPrivateIsRefusedAndKept)
{
    TempFolder base;
    for (const fs::perms mode : {fs::perms::all, fs::perms::owner_all | fs::perms::others_exec}) {
        privateFolderIn(base, "sonorbox-" + std::to_string(me), mode);
        std::string why;
        EXPECT_EQ(handofffolder::choose(std::string(), base.path(), me, why), std::nullopt);
        EXPECT_NE(why.find(ownFolderIn(base) + " is open to other users"), std::string::npos) << why;
        EXPECT_EQ(fs::status(ownFolderIn(base)).permissions(), mode) << "what the user set stays";
    }
    fs::remove(ownFolderIn(base));
    base.write("sonorbox-" + std::to_string(me), "a file in its place");
    std::string why;
    EXPECT_EQ(handofffolder::choose(std::string(), base.path(), me, why), std::nullopt);
    EXPECT_EQ(why, ownFolderIn(base) + " is not a folder");
}

TEST(HandOffFolder, AFolderOfItsOwnNameMadeByAnotherUserIsRefused)
{
    if (::getuid() != 0) GTEST_SKIP() << "only the superuser can give a folder to another user here";
    TempFolder base;
    const std::string squatted = privateFolderIn(base, "sonorbox-" + std::to_string(me));
    ASSERT_EQ(::chown(squatted.c_str(), 65534, 65534), 0);
    std::string why;
    EXPECT_EQ(handofffolder::choose(std::string(), base.path(), me, why), std::nullopt);
    EXPECT_EQ(why, squatted + " belongs to another user");
}
