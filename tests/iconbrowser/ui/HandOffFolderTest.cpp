// Where the hand-off lives: the runtime folder only when it is private, else
// a folder of the program's own, and never one that another user made or may
// enter.
#include "HandOffFolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using glint::handofffolder::choose;
using glint::handofffolder::faultOf;

const unsigned me = unsigned(::getuid());

struct Base {
    QTemporaryDir dir;
    fs::path path{dir.path().toStdString()};
    std::string own = (path / ("glintgatherer-" + std::to_string(me))).string();

    std::string folder(const std::string& name, fs::perms mode = fs::perms::owner_all) const
    {
        fs::create_directory(path / name);
        fs::permissions(path / name, mode, fs::perm_options::replace);
        return (path / name).string();
    }
};

} // namespace

TEST(HandOffFolder, APrivateRuntimeFolderIsTheOne)
{
    Base base;
    const std::string runtime = base.folder("runtime");
    std::string why;
    EXPECT_EQ(choose(runtime, base.path.string(), me, why), runtime);
    EXPECT_FALSE(fs::exists(base.own));
}

TEST(HandOffFolder, WithoutAPrivateRuntimeFolderItsOwnIsMadeForTheUserAlone)
{
    Base base;
    const std::string open =
        base.folder("open", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::create_directory_symlink(base.folder("real"), base.path / "link");
    for (const std::string& runtime :
         {std::string(), (base.path / "missing").string(), open, (base.path / "link").string()}) {
        std::string why;
        EXPECT_EQ(choose(runtime, base.path.string(), me, why), base.own) << runtime;
        struct stat made {};
        ASSERT_EQ(::lstat(base.own.c_str(), &made), 0);
        EXPECT_TRUE(S_ISDIR(made.st_mode));
        EXPECT_EQ(made.st_mode & 0777, 0700u);
        EXPECT_EQ(made.st_uid, me);
    }
}

TEST(HandOffFolder, EachFaultOfAFolderIsNamed)
{
    Base base;
    EXPECT_EQ(faultOf(base.folder("mine"), me), std::nullopt);
    EXPECT_EQ(faultOf(base.folder("mine"), me + 1), "belongs to another user");
    EXPECT_EQ(faultOf(base.folder("shared", fs::perms::owner_all | fs::perms::group_write), me),
              "is open to other users (mode 0720)");
    std::ofstream((base.path / "file").string()) << "x";
    EXPECT_EQ(faultOf((base.path / "file").string(), me), "is not a folder");
    fs::create_directory_symlink(base.folder("mine"), base.path / "link");
    EXPECT_EQ(faultOf((base.path / "link").string(), me), "is not a folder") << "a link is not followed";
}

TEST(HandOffFolder, AFolderOfItsOwnNameThatIsNotPrivateOrNotItsOwnIsRefused)
{
    Base base;
    base.folder("glintgatherer-" + std::to_string(me), fs::perms::all);
    std::string why;
    EXPECT_EQ(choose(std::string(), base.path.string(), me, why), std::nullopt);
    EXPECT_EQ(why, base.own + " is open to other users (mode 0777)");
    EXPECT_EQ(fs::status(base.own).permissions(), fs::perms::all) << "what the user set stays";
    if (::getuid() != 0) GTEST_SKIP() << "only the superuser can give a folder to another user here";
    fs::permissions(base.own, fs::perms::owner_all, fs::perm_options::replace);
    ASSERT_EQ(::chown(base.own.c_str(), 65534, 65534), 0);
    EXPECT_EQ(choose(std::string(), base.path.string(), me, why), std::nullopt);
    EXPECT_EQ(why, base.own + " belongs to another user");
}
