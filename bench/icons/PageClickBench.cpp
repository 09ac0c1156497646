// Time from a click on a file in the file list to its page of eight icons
// drawn on the real window (offscreen), for the files given. Each timed click
// follows a click on a small file, so every click loads afresh. Then the time
// from a step of the scroll bar by a page (eight icons) to that page drawn,
// over the file's pages after its first.
//
//   QT_QPA_PLATFORM=offscreen page_click_bench SMALL_FILE FILE... [--runs N]
#include "FileList.h"
#include "FolderList.h"
#include "FrmMain.h"
#include "IconBox.h"
#include "Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool listed(const glint::FileList& list, const QString& name)
{
    const QAbstractItemModel* model = list.model();
    for (int row = 0; row < model->rowCount(list.rootIndex()); ++row)
        if (model->index(row, 0, list.rootIndex()).data().toString() == name) return true;
    return false;
}

// The page is read off the window thread; it is drawn when it is ready.
double untilDrawn(glint::FrmMain& window, const QElapsedTimer& timer)
{
    while (window.pageLoading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (int b = 0; b < glint::FrmMain::iconBoxCount; ++b) window.icopic(b)->repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Chooses `file` in the list as a click does, once the list shows it, and
// returns the milliseconds until the page is loaded and painted.
double clickAndDraw(glint::FrmMain& window, const QFileInfo& file)
{
    window.Dir1()->setPath(file.absolutePath());
    while (!listed(*window.File1(), file.fileName())) QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    window.File1()->selectFile(file.fileName());
    return untilDrawn(window, timer);
}

// Moves the row on by a page, as a click beside the scroll bar's thumb does,
// and returns the milliseconds until that page is loaded and painted.
double stepAndDraw(glint::FrmMain& window)
{
    QElapsedTimer timer;
    timer.start();
    window.icoscroll()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    return untilDrawn(window, timer);
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    int runs = 50;
    if (const auto at = arguments.indexOf(QStringLiteral("--runs")); at >= 0 && at + 1 < arguments.size()) {
        runs = arguments[at + 1].toInt();
        arguments.remove(at, 2);
    }
    if (arguments.size() < 2 || runs < 1) {
        std::fprintf(stderr, "usage: page_click_bench SMALL_FILE FILE... [--runs N]\n");
        return 2;
    }
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    glint::QtPrompts prompts;
    glint::FrmMain window({&prompts, folder.path(), &settings, [](const QUrl&) {}});
    window.show();
    const QFileInfo small(arguments.takeFirst());
    for (const QString& name : arguments) {
        const QFileInfo file(name);
        std::vector<double> clicks;
        std::vector<double> steps;
        for (int run = 0; run < runs; ++run) {
            clickAndDraw(window, small);
            clicks.push_back(clickAndDraw(window, file));
            if (run < 5)
                while (window.icoscroll()->value() < window.icoscroll()->maximum())
                    steps.push_back(stepAndDraw(window));
        }
        std::printf("%s (%lld KiB, %d icons): click to page drawn, median %.3f ms, worst %.3f ms over %d clicks\n",
                    qPrintable(file.fileName()), file.size() / 1024,
                    window.icoscroll()->maximum() + window.iconsPresent(), median(clicks),
                    *std::max_element(clicks.begin(), clicks.end()), runs);
        if (!steps.empty())
            std::printf("%s: page step to page drawn, median %.3f ms, worst %.3f ms over %zu steps\n",
                        qPrintable(file.fileName()), median(steps), *std::max_element(steps.begin(), steps.end()),
                        steps.size());
    }
    return 0;
}
