#include "DeflatedRows.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <chrono>
#include <fcntl.h>
#include <sys/resource.h>
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

std::string fixture(const std::string& name)
{
    return std::string("'") + ICON_DATA_DIR + "/" + name + "'";
}

std::string quoted(const std::string& path)
{
    return std::string("'").append(path).append("'");
}

class GlintExtract : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ =
            std::filesystem::temp_directory_path() / ("glint-extract-" + std::to_string(getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

TEST_F(GlintExtract, WritesTheWholeIconAsAnIconFile)
{
    // The PE fixtures' groups were linked from these icon files, which hold their images in order.
    const char* sources[] = {"mixed.ico", "depth1.ico", "scaled.ico"};
    for (int index = 0; index < 3; ++index) {
        const std::string name = out("icon" + std::to_string(index) + ".ico");
        const ToolRun run = runTool(fixture("icons32.dll") + " " + std::to_string(index) + " " + quoted(name));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(iconbytes::read(name), iconbytes::read(std::string(ICON_DATA_DIR) + "/" + sources[index]))
            << "icon " << index << ": the images as stored, in the group's order";
    }
    EXPECT_EQ(runTool(fixture("icons32.dll") + " 3 " + out("none.ico")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(out("none.ico")));
    EXPECT_EQ(runTool("--size 48 " + fixture("icons32.dll") + " 0 " + out("sized.ico")).status, 2);
}

TEST_F(GlintExtract, SizeAsksForTheNearestOrTheLargestImage)
{
    ToolRun run = runTool("--size 40 " + fixture("scaled.ico") + " 0 " + out("near.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(QImage(QString::fromStdString(out("near.png"))).size(), QSize(48, 48));
    run = runTool("--size 8 " + fixture("scaled.ico") + " 0 " + out("small.bmp"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(QImage(QString::fromStdString(out("small.bmp")), "BMP").size(), QSize(16, 16));
    run = runTool("--size max " + fixture("png256.ico") + " 0 " + out("max.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const QImage large(QString::fromStdString(out("max.png")));
    EXPECT_EQ(large.size(), QSize(256, 256));
    EXPECT_TRUE(large.hasAlphaChannel());
    EXPECT_EQ(runTool("--size 0 " + fixture("png256.ico") + " 0 " + out("zero.png")).status, 2);
    EXPECT_EQ(runTool("--size big " + fixture("png256.ico") + " 0 " + out("big.png")).status, 2);
}

TEST_F(GlintExtract, HelpAndVersion)
{
    ToolRun run = runTool("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("glint-extract --thumbnail SIZE INPUT OUTPUT.png"), std::string::npos) << run.output;
    run = runTool("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "glint-extract 1.1\n");
    EXPECT_EQ(runTool("--help " + fixture("icons64.dll")).status, 2);
    EXPECT_EQ(runTool("--frobnicate").status, 2);
}

// One run of the thumbnailer, as a file manager starts it, with what it cost.
struct ThumbnailRun {
    int status = -1;
    double seconds = 0;
    long peakKilobytes = 0;
};

ThumbnailRun thumbnail(const std::string& size, const std::string& input, const std::string& output)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execl(GLINT_EXTRACT, GLINT_EXTRACT, "--thumbnail", size.c_str(), input.c_str(), output.c_str(), nullptr);
        _exit(127);
    }
    ThumbnailRun run;
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

QImage thumbnailOf(const std::string& size, const std::string& input, const std::string& output)
{
    const ThumbnailRun run = thumbnail(size, input, output);
    EXPECT_EQ(run.status, 0) << input;
    return QImage(QString::fromStdString(output), "PNG");
}

TEST_F(GlintExtract, ThumbnailsDrawTheFirstIconFromTheSmallestImageAtLeastTheSize)
{
    const std::string data = std::string(ICON_DATA_DIR) + "/";
    // The first group of the PE fixtures is mixed.ico (named, so first): all 32 x 32 or
    // smaller, so its largest and deepest, the 32-bit one, unscaled.
    for (const char* pe : {"icons32.exe", "icons64.dll"}) {
        const QImage image = thumbnailOf("128", data + pe, out(std::string(pe) + ".png"));
        ASSERT_EQ(image.size(), QSize(32, 32)) << pe;
        EXPECT_EQ(image.pixel(28, 28), qRgb(255, 128, 0)) << pe << ": the 32-bit image's marker";
        EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0) << pe << ": alpha kept";
    }
    const QImage exact = thumbnailOf("256", data + "png256.ico", out("exact.png"));
    ASSERT_EQ(exact.size(), QSize(256, 256));
    EXPECT_EQ(exact.pixel(200, 200), qRgb(128, 0, 128));
    const QImage shrunk = thumbnailOf("128", data + "png256.ico", out("shrunk.png"));
    ASSERT_EQ(shrunk.size(), QSize(128, 128));
    EXPECT_EQ(shrunk.pixel(100, 100), qRgb(128, 0, 128));
    EXPECT_TRUE(shrunk.hasAlphaChannel());
    // scaled.ico: 16 and 48; at 20 the 48 is the smallest large enough, shrunk to fit.
    EXPECT_EQ(thumbnailOf("20", data + "scaled.ico", out("scaled.png")).size(), QSize(20, 20));
    EXPECT_EQ(thumbnailOf("16", data + "scaled.ico", out("small.png")).size(), QSize(16, 16));
    // NE: the first group of icons.icl is 16 and 32 at 4 bits.
    EXPECT_EQ(thumbnailOf("24", data + "icons.icl", out("icl.png")).size(), QSize(24, 24));
    EXPECT_EQ(thumbnailOf("32", data + "nine.icl", out("nine.png")).pixel(28, 28), qRgb(0, 255, 255));

    EXPECT_EQ(thumbnail("128", data + "make_icons.py", out("none.png")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(out("none.png")));
    EXPECT_EQ(thumbnail("0", data + "png256.ico", out("zero.png")).status, 2);
    EXPECT_EQ(thumbnailOf("128", data + "png256.ico", out("temporary")).size(), QSize(128, 128))
        << "a PNG whatever the file manager names it";
}

TEST_F(GlintExtract, HostileFilesCostTheThumbnailerLittle)
{
    using namespace iconbytes;
    const Bytes rows = rgbaRows(256, 256, 0xFF00FF00u);
    write(out("inflating.ico"), ico({{256, 32, png(header(256, 256), deflated(rows, 64u << 20))}}));
    write(out("damaged.ico"),
          ico({{256, 32, png(header(256, 256), damaged(deflated(rows)))}, {32, 32, dib32(32, 0xFF0000FFu)}}));
    std::vector<std::string> hostile{out("inflating.ico"), out("damaged.ico"), "/dev/zero"};
    for (const char* name : {"absurd.exe", "absurd.ico", "loop.dll", "truncated.exe", "truncated.icl", "truncated.ico",
                             "bad-shift.icl", "header-only.ico"})
        hostile.push_back(std::string(ICON_DATA_DIR) + "/" + name);
    for (const std::string& input : hostile) {
        const ThumbnailRun run = thumbnail("256", input, out("hostile.png"));
        EXPECT_TRUE(run.status == 0 || run.status == 1) << input << ": " << run.status;
        // Generous bounds that a hang or an allocation the size of the claims would break.
        EXPECT_LT(run.seconds, 2.0) << input;
        EXPECT_LT(run.peakKilobytes, 24 * 1024) << input;
    }
    const QImage fallback = thumbnailOf("256", out("damaged.ico"), out("fallback.png"));
    EXPECT_EQ(fallback.pixel(16, 16), qRgb(0, 0, 255)) << "a PNG that does not decode gives way to the bitmap";
}

TEST_F(GlintExtract, RejectsBadUsage)
{
    EXPECT_EQ(runTool("").status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " 0").status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " one " + out("a.png")).status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " -1 " + out("a.png")).status, 2);
    EXPECT_EQ(runTool(fixture("icons64.dll") + " 0 " + out("a.gif")).status, 2);
}

TEST_F(GlintExtract, AllWritesEveryIconIntoTheFolder)
{
    const auto icons = runTool("--all " + quoted(folder_.string()) + " " + fixture("icons32.exe"));
    EXPECT_EQ(icons.status, 0) << icons.output;
    EXPECT_EQ(icons.output, "");
    const auto pngs = runTool("--all --png " + quoted(folder_.string()) + " " + fixture("icons32.exe"));
    EXPECT_EQ(pngs.status, 0) << pngs.output;
    for (int n = 1; n <= 3; ++n) {
        const auto name = "icons32-" + std::to_string(n);
        // The same bytes as the single-icon form writes.
        const auto one = runTool(fixture("icons32.exe") + " " + std::to_string(n - 1) + " " + quoted(out("one.ico")));
        ASSERT_EQ(one.status, 0) << one.output;
        EXPECT_EQ(iconbytes::read(folder_ / (name + ".ico")), iconbytes::read(folder_ / "one.ico")) << name;
        EXPECT_TRUE(std::filesystem::exists(folder_ / (name + ".png"))) << name;
    }
    const QImage scaled(QString::fromStdString(out("icons32-3.png")), "PNG");
    EXPECT_EQ(scaled.size(), QSize(48, 48));
    const QImage alpha(QString::fromStdString(out("icons32-1.png")), "PNG");
    ASSERT_EQ(alpha.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(alpha.pixel(2, 2)), 0) << "with its alpha";

    EXPECT_EQ(runTool("--all " + quoted(out("missing")) + " " + fixture("icons32.exe")).status, 1);
    EXPECT_EQ(runTool("--all " + quoted(folder_.string()) + " " + fixture("make_icons.py")).status, 1);
    EXPECT_EQ(runTool("--all " + quoted(folder_.string())).status, 2);
    EXPECT_EQ(runTool("--all --png").status, 2);
}

} // namespace
