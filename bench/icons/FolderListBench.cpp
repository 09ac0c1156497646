// How long the window stops answering while the file list reads a folder of
// many files: the longest gap between ticks of a 1 ms timer from choosing the
// folder until every file is listed, and the time until then.
//
//   QT_QPA_PLATFORM=offscreen folder_list_bench [FILES [WHERE]]
//
// FILES (default 50000) empty files are made in a new folder inside WHERE
// (default the temporary folder; a memory file system makes them fastest).
#include "FileList.h"
#include "FolderList.h"
#include "FrmMain.h"
#include "Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50000;
    QTemporaryDir folder(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/folder-list-XXXXXX")
                                  : QDir::tempPath() + QStringLiteral("/folder-list-XXXXXX"));
    const QString big = folder.filePath(QStringLiteral("big"));
    QDir().mkpath(big);
    for (int n = 0; n < files; ++n) {
        QFile file(QStringLiteral("%1/file%2.dll").arg(big).arg(n, 6, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot make the folder's files\n");
            return 1;
        }
    }
    QSettings settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    glint::QtPrompts prompts;
    glint::FrmMain window({&prompts, folder.path(), &settings, [](const QUrl&) {}});
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    clock.start();
    ticks.start();
    window.Dir1()->setPath(big); // the file list follows
    const qint64 choosing = clock.nsecsElapsed();
    longestGap = std::max(longestGap, choosing);
    lastTick = clock.nsecsElapsed();
    while (window.File1()->fileCount() < files) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (clock.elapsed() > 60000) {
            std::fprintf(stderr, "only %d files listed after a minute\n", window.File1()->fileCount());
            return 1;
        }
    }
    const double listed = clock.nsecsElapsed() / 1e6;
    std::printf("%d files: choosing the folder took %.1f ms, all listed after %.0f ms; the window answered at "
                "least every %.1f ms meanwhile\n",
                files, choosing / 1e6, listed, longestGap / 1e6);
    return 0;
}
