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
#include "FileNames.h"
#include "FrmMain.h"
#include "HelpFile.h"
#include "Prompts.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

constexpr int handOverTimeoutMs = 5000;
const char* const version = "1.1";

const char* const usage = "usage: GlintGatherer [PATH]\n";
const char* const helpText = "Glint Gatherer: browse the icons of Windows programs, libraries and icon files.\n"
                             "\n"
                             "  PATH       a folder to open, or a file whose icons to show (its folder opened)\n"
                             "  --help     show this text and end\n"
                             "  --version  show the version and end\n"
                             "\n"
                             "A start while the program runs on the same display hands PATH to the running\n"
                             "window and ends. The window's position is kept in\n"
                             "~/.config/Glint Gatherer/Glint Gatherer.conf.\n";

// Under Wayland a window cannot place itself, so the saved position would be
// lost: the X11 platform (XWayland) is asked for first, Wayland kept as the
// fall-back. A platform the user chose stays as chosen.
void preferX11UnderWayland()
{
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

// The path as the file system names it: the argument's own bytes (a name
// need not be UTF-8), made absolute here, since the running copy's folder is
// not this start's.
QString absolutePath(const char* argument)
{
#ifndef _WIN32
    QString path = glint::fileNameText(QByteArray(argument));
    if (QDir::isAbsolutePath(path)) return QDir::cleanPath(path);
    QByteArray folder(4096, '\0');
    while (!::getcwd(folder.data(), static_cast<size_t>(folder.size())) && folder.size() < (1 << 20))
        folder.resize(folder.size() * 2);
    return QDir::cleanPath(glint::fileNameText(QByteArray(folder.constData())) + QLatin1Char('/') + path);
#else
    Q_UNUSED(argument);
    return QDir::cleanPath(QDir::current().absoluteFilePath(QCoreApplication::arguments().value(1)));
#endif
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any display is sought: they need none.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        std::fputs(helpText, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("GlintGatherer %s\n", version);
        return 0;
    }
    preferX11UnderWayland();
    if (!glint::checkDisplay("GlintGatherer")) return 1;
    QApplication application(argc, argv); // takes the toolkit's own options out of argv
    glint::displayConnected();
    application.setApplicationName(glint::FrmMain::title);
    application.setApplicationVersion(QString::fromLatin1(version));
    // The desktop entry's name: the window's identity on the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral(GLINTGATHERER_DESKTOP_ID));

    if (argc > 2) {
        std::fprintf(stderr, "%s   (one file or folder; --help tells more)\n", usage);
        return 2;
    }
    const QString path = argc == 2 ? absolutePath(argv[1]) : QString();
    // Refused before anything lays it out or hands it over.
    if (glint::fileNameBytes(path).size() > glint::HandOver::longestPath()) {
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
    // Opened from inside the event loop: a message it shows is then a box
    // over the running program, which an end signal closes with the rest.
    if (!path.isEmpty()) QTimer::singleShot(0, &window, [&window, &path] { window.openPath(path); });
    const int status = application.exec();
    glint::FileList::endListings();
    return status;
}
