// Glint Gatherer: an icon browser.
//
//   GlintGatherer [PATH]   opens at PATH: a folder, or a file's folder with
//                          that file chosen and its icons shown
//
// A second start on the same display hands over to the running copy (with
// PATH it goes there) and ends before it has a window, so it never writes
// settings.
#include "DisplayLoss.h"
#include "EndSignals.h"
#include "FileList.h"
#include "FrmMain.h"
#include "HelpFile.h"
#include "Prompts.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>

namespace {

constexpr int handOverTimeoutMs = 5000;

// Under Wayland a window cannot place itself, so the saved position would be
// lost: the X11 platform (XWayland) is asked for first, Wayland kept as the
// fall-back. A platform the user chose stays as chosen.
void preferX11UnderWayland()
{
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace

int main(int argc, char** argv)
{
    preferX11UnderWayland();
    QApplication application(argc, argv);
    application.setApplicationName(glint::FrmMain::title);
    application.setApplicationVersion(QStringLiteral("1.1"));
    // The desktop entry's name: the window's identity on the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral(GLINTGATHERER_DESKTOP_ID));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() > 1) {
        std::fprintf(stderr, "usage: GlintGatherer [PATH]   (one file or folder)\n");
        return 2;
    }
    // Made absolute here: the running copy's folder is not this start's.
    const QString path = arguments.isEmpty() ? QString() : QFileInfo(arguments.front()).absoluteFilePath();
    // Refused before anything lays it out or hands it over.
    if (QFile::encodeName(path).size() > glint::HandOver::longestPath()) {
        std::fprintf(stderr, "GlintGatherer: %s\n", qPrintable(glint::HandOver::tooLongText(path)));
        return 1;
    }

    const QString instanceName = glint::SingleInstance::serverName();
    if (glint::SingleInstance::handOverToRunningCopy(instanceName, {path}, handOverTimeoutMs)) return 0;

    QSettings settings(glint::FrmMain::title, glint::FrmMain::title);
    glint::QtPrompts prompts;
    glint::FrmMain window({&prompts, glint::helpFolderFor(QCoreApplication::applicationDirPath()), &settings,
                           [](const QUrl& address) { QDesktopServices::openUrl(address); }});
    glint::SingleInstance instance([&window](const QString& handed) { window.openPath(handed); });
    instance.listen(instanceName, &window);
    glint::EndSignals endSignals(&window);
    glint::watchDisplayLoss();
    window.Form_Load();
    window.show();
    if (!path.isEmpty()) window.openPath(path);
    const int status = application.exec();
    glint::FileList::endListings();
    return status;
}
