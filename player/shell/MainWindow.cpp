#include "MainWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "AboutWindow.h"
#include "FileDialogs.h"
#include "PathText.h"
#include "Platform.h"
#include "Player.h"
#include "PlayerSettings.h"
#include "SeekBar.h"
#include "ShellTexts.h"
#include "SkinFont.h"
#include "SkinLabel.h"
#include "UserMessages.h"
#include "WindowPosition.h"

namespace {

QColor colourOf(std::uint32_t packed)
{
    return QColor(int(packed & 255u), int(packed >> 8 & 255u), int(packed >> 16 & 255u));
}

// The start-up picture must really reach the screen before the window thread
// goes on building: wait (briefly) until the display has shown it, then draw.
void paintAtOnce(QWidget& window)
{
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() && !window.windowHandle()->isExposed() && waited.elapsed() < 500)
        QGuiApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    window.repaint();
    QGuiApplication::sync();
}

// A file that can be read now: not a folder, and not a pipe or a device, whose
// opening could wait for a writer without end.
bool canOpenForReading(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

} // namespace

MainWindow::MainWindow(const MainWindowServices& services, const std::string& commandLinePath)
    : SkinWindow(shelltext::mainWindowTitle, QString::fromLatin1(shelltext::mainWindowClass)), services_(services)
{
    auto startupPicture = std::make_unique<AboutWindow>(false, services_.settings);
    paintAtOnce(*startupPicture);
    skin_ = loadSkin(services_.settings);
    const QSize size(skin_->mainUp.width(), skin_->mainUp.height());
    const QPoint saved(services_.position.readX(), services_.position.readY());
    createWindow(nullptr, true, QRect(platform::restoredPosition(saved, size), size));
    createControls();
    setMask(buildWindowRegion(skin_->mainUp));
    startupPicture.reset();
    showWindow();
    if (!commandLinePath.empty()) {
        services_.settings.putSong(commandLinePath);
        // A path the user named: when nothing of it can be played, the
        // player says so rather than passing over it in silence.
        services_.player.startPlayerThread(commandLinePath);
    }
}

MainWindow::~MainWindow()
{
    aboutButton_.reset();
    minimizeButton_.reset();
    quitButton_.reset();
    prevButton_.reset();
    stopButton_.reset();
    pauseButton_.reset();
    playButton_.reset();
    nextButton_.reset();
    openButton_.reset();
    seekBar_.reset();
    timeReadout_.reset();
    sampleRateReadout_.reset();
    bitrateReadout_.reset();
    skin_.reset();
}

void MainWindow::createControls()
{
    const Skin& s = *skin_;
    auto button = [&](auto& member, const SkinRect& rect) {
        using Button = typename std::remove_reference_t<decltype(member)>::element_type;
        member = std::make_unique<Button>(*this, rect, s.mainUp, s.mainDown);
        member->showWindow();
    };
    button(aboutButton_, s.about);
    button(minimizeButton_, s.minimize);
    button(quitButton_, s.quit);
    button(prevButton_, s.prev);
    button(stopButton_, s.stop);
    button(pauseButton_, s.pause);
    button(playButton_, s.play);
    button(nextButton_, s.next);
    button(openButton_, s.open);

    titleBackground_ = pieceAt(s.mainUp, s.displayBar);
    titleBackground_.destinationX = s.displayBar.x;
    titleBackground_.destinationY = s.displayBar.y;
    titleRect_ = QRect(s.displayBar.x, s.displayBar.y, s.displayBar.width, s.displayBar.height);

    seekBar_ = std::make_unique<SeekBar>(this, s.seekBar.x, s.seekBar.y, pieceAt(s.mainUp, s.seekBar),
                                         pieceAt(s.mainDown, s.seekBar), services_.player);
    seekBar_->showWindow();

    const QString face = QString::fromStdString(s.displayFont);
    const QColor colour = colourOf(s.displayColour);
    auto readout = [&](std::unique_ptr<SkinLabel>& member, const SkinRect& rect, const char* text) {
        member = std::make_unique<SkinLabel>(this, rect.x, rect.y, pieceAt(s.mainUp, rect), face, colour);
        member->setText(QString::fromLatin1(text));
        member->showWindow();
    };
    readout(timeReadout_, s.displayTime, "00:00");
    readout(sampleRateReadout_, s.displayKhz, "00");
    readout(bitrateReadout_, s.displayBitrate, "000");
}

// --- the buttons' actions ---

void MainWindow::showAbout()
{
    if (AboutWindow::findOpen())
        return;
    // The window deletes itself when a click closes it.
    new AboutWindow(true, services_.settings);
}

void MainWindow::minimize() { showMinimized(); }

void MainWindow::quitPlayer(bool askAboutSkin)
{
    if (askAboutSkin) {
        const MessageAnswer answer = services_.messages.ask(shelltext::skinQuestionCaption, shelltext::skinQuestion,
                                                            MessageIcon::question, MessageButtons::yesNo);
        if (answer == MessageAnswer::yes)
            services_.settings.putSkin("");
    }
    services_.player.stopPlayback();
    savePosition();
    QCoreApplication::exit(0);
}

// Next and Prev only ask; with no player thread running nothing happens, and
// the next thread start clears the request.
void MainWindow::previousSong() { services_.player.requestPrevious(); }

void MainWindow::nextSong() { services_.player.requestNext(); }

void MainWindow::stopSong() { services_.player.stopPlayback(); }

void MainWindow::togglePause()
{
    Player& player = services_.player;
    if (player.isPaused())
        player.resume();
    else if (player.isRunning())
        player.pause();
}

bool MainWindow::isPaused() const { return services_.player.isPaused(); }

void MainWindow::playSong()
{
    Player& player = services_.player;
    // Paused, the running player plays the song setting already: it goes on
    // where it was.
    if (player.isPaused() && player.isRunning()) {
        player.resume();
        return;
    }
    const std::string song = services_.settings.getSong();
    if (song.empty() || !canOpenForReading(song))
        return;
    player.startPlayerThread(song);
}

void MainWindow::openSong()
{
    std::optional<std::string> chosen = services_.dialogs.chooseSong(this, services_.settings.getSong());
    if (!chosen)
        return;
    services_.settings.putSong(*chosen);
    services_.player.startPlayerThread(*chosen);
}

void MainWindow::takeOverFile(const std::string& path)
{
    services_.player.takeOverFile(path);
    services_.settings.putSong(path);
    redrawTitle();
}

// --- the readouts ---

void MainWindow::showAudible(const Audible& audible)
{
    if (audible.song != titleSong_) {
        titleSong_ = audible.song;
        setTitle(audible.path);
    }
    setTime(audible.positionSeconds);
    seekBar_->showPosition(audible.positionSeconds, audible.lengthSeconds);
}

void MainWindow::setTitle(const std::string& path)
{
    const QString name = QString::fromStdString(pathtext::fileNameOf(path));
    titleText_ = name.size() >= 4 ? name.left(name.size() - 4) : name;
    redrawTitle();
}

void MainWindow::setTime(int seconds)
{
    const QString text = timeText(seconds);
    if (timeReadout_->text() != text)
        timeReadout_->setText(text);
}

void MainWindow::setSampleRateNumber(int kiloHertz) { sampleRateReadout_->setNumber(kiloHertz); }

void MainWindow::setBitrateNumber(int kbps) { bitrateReadout_->setNumber(kbps); }

void MainWindow::showPaused(bool paused)
{
    if (pauseButton_)
        pauseButton_->showPaused(paused);
}

void MainWindow::redrawTitle() { repaint(titleRect_); }

void MainWindow::drawTitle(QPainter& target)
{
    titleBackground_.draw(target);
    if (titleText_.isEmpty() || titleRect_.width() <= 0 || titleRect_.height() <= 0)
        return;
    const QFont font = skinFont(QString::fromStdString(skin_->displayFont), titleRect_.height());
    target.setFont(font);
    target.setPen(colourOf(skin_->displayColour));
    const QString shown = target.fontMetrics().elidedText(titleText_, Qt::ElideRight, titleRect_.width());
    target.save();
    target.setClipRect(titleRect_);
    target.drawText(titleRect_, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    target.restore();
}

void MainWindow::onPaint(QPainter& target)
{
    skin_->mainUp.drawTiled(target, rect());
    drawTitle(target);
}

// --- dragging and keys ---

void MainWindow::onLeftButtonDown(int x, int y, Qt::MouseButtons)
{
    dragging_ = true;
    grab_ = QPoint(x, y);
}

void MainWindow::onMouseMove(int x, int y, Qt::MouseButtons)
{
    if (!dragging_)
        return;
    // The grabbed point stays under the mouse, also while the mouse is left
    // of or above the window (negative client coordinates).
    if (!platform::moveDraggedWindow(*this, mouseOnScreen(x, y) - grab_))
        dragging_ = false;
}

void MainWindow::onLeftButtonUp(int, int, Qt::MouseButtons) { dragging_ = false; }

void MainWindow::onChar(int code)
{
    if ((code & 0xff) == 27)
        quitPlayer(false);
}

void MainWindow::onDestroy() { QCoreApplication::exit(0); }

void MainWindow::savePosition()
{
    const QPoint topLeft = geometry().topLeft();
    services_.position.writeX(topLeft.x());
    services_.position.writeY(topLeft.y());
}
