#include "DeflatedRows.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int status;
    std::string output;
};

// Runs the tool with `arguments` (already quoted), capturing standard output and error.
ToolRun runTool(const std::string& arguments)
{
    const std::string command = std::string("'") + GLINT_EXTRACT + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, {}};
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string fixture(const std::string& name) { return std::string("'") + ICON_DATA_DIR + "/" + name + "'"; }

std::string quoted(const std::string& path) { return std::string("'").append(path).append("'"); }

class GlintExtract : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path()
            / ("glint-extract-" + std::to_string(getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string out(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(GlintExtract, PrintsTheCount)
{
    EXPECT_EQ(runTool(fixture("icons64.dll")).output, "3\n");
    EXPECT_EQ(runTool(fixture("make_icons.py")).output, "0\n") << "a readable file without icons";
}

TEST_F(GlintExtract, WritesPngWithAlpha)
{
    const ToolRun run = runTool(fixture("depth32.ico") + " 0 " + out("icon.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const QImage image(QString::fromStdString(out("icon.png")));
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0);
    EXPECT_EQ(image.pixel(4, 24), qRgba(0, 0, 255, 128));
    EXPECT_EQ(image.pixel(28, 28), qRgb(255, 128, 0));
}

TEST_F(GlintExtract, WritesBmpOnTheWindowColour)
{
    const ToolRun run = runTool(fixture("icons32.exe") + " 2 " + out("icon.BMP"));
    ASSERT_EQ(run.status, 0) << run.output;
    const QImage image(QString::fromStdString(out("icon.BMP")), "BMP");
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(2, 2), qRgb(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(image.pixel(28, 28), qRgb(0, 0, 128));
}

TEST_F(GlintExtract, DecodesAndScalesPngIcons)
{
    const ToolRun run = runTool(fixture("png256.ico") + " 0 " + out("big.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const QImage image(QString::fromStdString(out("big.png")));
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(28, 28), qRgb(128, 0, 128));
}

TEST_F(GlintExtract, AHostilePngGivesWayToTheBitmapOfTheSameIcon)
{
    using namespace iconbytes;
    const Bytes rows = rgbaRows(32, 32, 0xFF00FF00u);
    const Bytes inflating = png(header(32, 32), deflated(rows, 8u << 20));
    const Bytes broken = png(header(32, 32), damaged(deflated(rows)));
    const Bytes blue = dib32(32, 0xFF0000FFu);
    write(out("inflating.ico"), ico({{32, 32, inflating}, {32, 32, blue}}));
    write(out("damaged.ico"), ico({{32, 32, broken}, {32, 32, blue}}));
    write(out("alone.ico"), ico({{32, 32, inflating}}));
    for (const char* name : {"inflating.ico", "damaged.ico"}) {
        for (const char* picture : {"icon.png", "icon.bmp"}) {
            const ToolRun run = runTool(quoted(out(name)) + " 0 " + out(picture));
            ASSERT_EQ(run.status, 0) << name << ": " << run.output;
            const QImage image(QString::fromStdString(out(picture)));
            ASSERT_EQ(image.size(), QSize(32, 32)) << name;
            EXPECT_EQ(image.pixel(16, 16), qRgb(0, 0, 255)) << name << " to " << picture;
        }
    }
    const ToolRun run = runTool(quoted(out("alone.ico")) + " 0 " + out("alone.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("icon 0 has no readable image"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out("alone.png")));
}

TEST_F(GlintExtract, ReportsFilesItCannotReadOrIconsThatAreNotThere)
{
    ToolRun run = runTool(fixture("no-such-file.dll"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no such file"), std::string::npos) << run.output;
    run = runTool(std::string("'") + ICON_DATA_DIR + "'");
    EXPECT_EQ(run.status, 1);
    run = runTool(fixture("icons64.dll") + " 3 " + out("none.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("holds 3 icons"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out("none.png")));
    run = runTool(fixture("icons64.dll") + " 0 " + out("missing-folder/icon.png"));
    EXPECT_EQ(run.status, 1);
}

TEST_F(GlintExtract, CountsSeveralFilesOneLineEach)
{
    const std::string dll = std::string(ICON_DATA_DIR) + "/icons64.dll";
    const std::string icl = std::string(ICON_DATA_DIR) + "/nine.icl";
    const std::string script = std::string(ICON_DATA_DIR) + "/make_icons.py";
    ToolRun run = runTool(fixture("icons64.dll") + " " + fixture("nine.icl"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "3 " + dll + "\n9 " + icl + "\n");
    // Three files are not the extraction form.
    run = runTool(fixture("icons64.dll") + " " + fixture("nine.icl") + " " + fixture("make_icons.py"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "3 " + dll + "\n9 " + icl + "\n0 " + script + "\n");
    // A file that cannot be read is reported; the others are still counted.
    run = runTool(fixture("no-such-file.dll") + " " + fixture("nine.icl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no-such-file.dll: no such file"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("9 " + icl + "\n"), std::string::npos) << run.output;
}

TEST_F(GlintExtract, RejectsBadUsage)
{
    EXPECT_EQ(runTool("").status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " 0").status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " one " + out("a.png")).status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " -1 " + out("a.png")).status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " 0 " + out("a.gif")).status, 2);
}

} // namespace
