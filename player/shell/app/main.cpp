// The player's entry: the program's own folder, the path on the command line,
// and the guard that shows any failure of the start in a message box.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

#include "Application.h"
#include "FileDialogs.h"
#include "Desktop.h"
#include "QtMessages.h"
#include "Settings.h"
#include "SdlAudioDevice.h"
#include "Skin.h"
#include "ShellTexts.h"

namespace {

// The words after the program name are one path, as typed: a name with
// blanks needs no quotes. A relative path is made whole here, so the running
// player that may take it over finds the same file.
std::string commandLinePath(const QStringList& arguments)
{
    QStringList words = arguments.mid(1);
    const QString path = words.join(QLatin1Char(' '));
    if (path.isEmpty()) return std::string();
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
}

const char* const helpText = "usage: sonorbox [PATH]\n"
                             "Sonorbox: a skinnable MP3 player.\n"
                             "\n"
                             "  PATH       a song, an M3U list or a folder of them, played at once and\n"
                             "             remembered; the words after the program name are one path\n"
                             "  --help     show this text and end\n"
                             "  --version  show the version and end\n"
                             "\n"
                             "A start while the player runs on the same display brings its window back\n"
                             "and hands PATH to it. A right click on the face (or the Menu key) opens the\n"
                             "player's menu. The settings are kept in ~/.config/sonorbox/Sonorbox.ini,\n"
                             "or beside a portable copy of the program.\n";

// --help and --version are answered before any display is sought, and write
// no settings: true when the command line was one of them.
bool answeredAtOnce(int argc, char** argv)
{
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(helpText, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", shelltext::mainWindowTitle);
        return true;
    }
    return false;
}

void showFailure(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(shelltext::exceptionCaption), text);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredAtOnce(argc, argv)) return 0;
    platform::preferX11OnWayland();
    if (!platform::checkDisplay("sonorbox")) return 1;
    QApplication app(argc, argv);
    platform::displayConnected();
    // The desktop entry's name: the window's identity on the desktop (Wayland's
    // app_id, X11's desktop file hint) and the media player interface's.
    QGuiApplication::setDesktopFileName(QStringLiteral(SONORBOX_DESKTOP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon appIcon;
    appIcon.addFile(QStringLiteral(":/icons/sonorbox-16.png"));
    appIcon.addFile(QStringLiteral(":/icons/sonorbox-32.png"));
    QApplication::setWindowIcon(appIcon);

    QtMessages messages;
    QtFileDialogs dialogs;
    SdlAudioDevice device;
    // A failure shown in the guard's box ends the program with status 0, as
    // any other end of the player does.
    try {
        const std::string programDirectory = QCoreApplication::applicationDirPath().toStdString();
        Application application({programDirectory, settingslocation::userConfigFolder(),
                                 settingslocation::defaultSkinFor(programDirectory)},
                                commandLinePath(QCoreApplication::arguments()), {device, messages, dialogs});
        return application.run();
    } catch (const ShellError& error) {
        showFailure(QString::fromStdString(error.what()));
    } catch (...) {
        showFailure(QString::fromLatin1(shelltext::unhandledException));
    }
    return 0;
}
