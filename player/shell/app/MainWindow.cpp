#include "MainWindow.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include "AboutWindow.h"
#include "Desktop.h"
#include "EqualiserWindow.h"
#include "PathText.h"
#include "Player.h"
#include "PlaylistWindow.h"
#include "SeekBar.h"
#include "SkinChoice.h"
#include "ShellTexts.h"
#include "Skin.h"
#include "SongToolTip.h"
#include "TitleLine.h"
#include "Settings.h"

namespace {

// What a key press or a notch of the wheel changes.
constexpr int volumeStep = 5;
constexpr double seekStep = 5.0;

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

} // namespace

MainWindow::MainWindow(const MainWindowServices& services, const std::string& commandLinePath)
    : SkinWindow(shelltext::mainWindowTitle, QString::fromLatin1(shelltext::mainWindowClass)), services_(services),
      actions_(services, *this)
{
    volumeShown_.setSingleShot(true);
    volumeShown_.setInterval(1000);
    connect(&volumeShown_, &QTimer::timeout, this, &MainWindow::redrawTitle);
    actions_.onVolumeChanged = [this](int volume) { showVolume(volume); };
    setAcceptDrops(true);
    auto startupPicture = std::make_unique<AboutWindow>(false, services_.settings);
    paintAtOnce(*startupPicture);
    skin_ = loadSkin(services_.settings);
    const QSize size(skin_->mainUp.width(), skin_->mainUp.height());
    const QPoint saved(services_.position.readX(), services_.position.readY());
    createWindow(nullptr, true, QRect(platform::restoredPosition(saved, size), size));
    if (!services_.settings.getOnTop()) setWindowFlag(Qt::WindowStaysOnTopHint, false);
    createControls();
    setMask(buildWindowRegion(skin_->mainUp));
    startupPicture.reset();
    showWindow();
    playlist_ = std::make_unique<PlaylistWindow>(*this, services_.player,
                                                 ToolWindowPlace(services_.settings.filePath(), "Playlist"),
                                                 services_.messages, services_.dialogs);
    playlist_->openAsRemembered();
    if (ToolWindowPlace(services_.settings.filePath(), EqualiserWindow::placeSection).readShown())
        equaliserWindow().openAsRemembered();
    // A path the user named: when nothing of it can be played, the player
    // says so rather than passing over it in silence.
    if (!commandLinePath.empty()) actions_.playPath(commandLinePath);
}

MainWindow::~MainWindow()
{
    playlist_.reset();
    destroyControls();
    skin_.reset();
}

void MainWindow::destroyControls()
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
}

void MainWindow::createControls()
{
    const Skin& s = *skin_;
    // Each button's place and tool tip come from its key of the skin.
    auto button = [&](auto& member, SkinRect SkinLayout::*place) {
        using Button = typename std::remove_reference_t<decltype(member)>::element_type;
        member = std::make_unique<Button>(*this, actions_, s.*place, s.mainUp, s.mainDown, skinKeyOf(place).toolTip);
        member->showWindow();
    };
    button(aboutButton_, &Skin::about);
    button(minimizeButton_, &Skin::minimize);
    button(quitButton_, &Skin::quit);
    button(prevButton_, &Skin::prev);
    button(stopButton_, &Skin::stop);
    button(pauseButton_, &Skin::pause);
    button(playButton_, &Skin::play);
    button(nextButton_, &Skin::next);
    button(openButton_, &Skin::open);

    titleBackground_ = pieceAt(s.mainUp, s.displayBar);
    titleBackground_.destinationX = s.displayBar.x;
    titleBackground_.destinationY = s.displayBar.y;
    titleRect_ = QRect(s.displayBar.x, s.displayBar.y, s.displayBar.width, s.displayBar.height);

    seekBar_ = std::make_unique<SeekBar>(this, s.seekBar.x, s.seekBar.y, pieceAt(s.mainUp, s.seekBar),
                                         pieceAt(s.mainDown, s.seekBar), actions_);
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

// --- the skin worn and the window's place among the others ---

bool MainWindow::wearSkin(const std::string& skinFile)
{
    skinchoice::Loading loaded = skinchoice::load(skinFile);
    if (!loaded.skin) {
        skinchoice::tellFault(services_.messages, loaded.fault);
        return false;
    }
    const QString time = timeReadout_->text();
    const QString sampleRate = sampleRateReadout_->text();
    const QString bitrate = bitrateReadout_->text();
    destroyControls();
    skin_ = std::move(loaded.skin);
    resize(skin_->mainUp.width(), skin_->mainUp.height());
    createControls();
    timeReadout_->setText(time);
    sampleRateReadout_->setText(sampleRate);
    bitrateReadout_->setText(bitrate);
    const Audible heard = services_.player.audible();
    seekBar_->showPosition(heard.positionSeconds, heard.lengthSeconds);
    pauseButton_->showPaused(actions_.isPaused());
    setMask(buildWindowRegion(skin_->mainUp));
    update();
    services_.settings.putSkin(skinFile);
    return true;
}

void MainWindow::chooseSkinFile()
{
    const std::string chosen = skinchoice::chooseUntilWearable(
        services_.dialogs, services_.messages, services_.settings.getSkinDirectory(), [] { return false; });
    if (!chosen.empty()) wearSkin(chosen);
}

void MainWindow::setOnTop(bool onTop)
{
    services_.settings.putOnTop(onTop);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    // New flags make the window anew, hidden: it is shown again where it was.
    const QPoint place = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    move(place);
    showWindow();
}

void MainWindow::togglePlaylist()
{
    playlist_->setOpen(!playlist_->isOpen());
}

EqualiserWindow& MainWindow::equaliserWindow()
{
    if (!equaliser_)
        equaliser_ = std::make_unique<EqualiserWindow>(
            *this, services_.settings.filePath(), actions_.equaliser(),
            [this](const mp3::EqualiserSetting& setting) { actions_.setEqualiser(setting); });
    return *equaliser_;
}

void MainWindow::showEqualiser()
{
    equaliserWindow().setOpen(true);
    equaliser_->activateWindow();
}

// --- the readouts ---

void MainWindow::showAudible(const Audible& audible)
{
    if (audible.song != titleSong_) {
        titleSong_ = audible.song;
        setTitle(audible.path);
        if (playlist_) playlist_->heardChanged();
    }
    setTime(audible.positionSeconds);
    seekBar_->showPosition(audible.positionSeconds, audible.lengthSeconds);
    tellShownChanged();
}

void MainWindow::setTitle(const std::string& path)
{
    titlePath_ = path;
    titleText_ = titleLineOf(path);
    redrawTitle();
}

void MainWindow::setTime(int seconds)
{
    const QString text = timeText(seconds);
    if (timeReadout_->text() != text) timeReadout_->setText(text);
}

void MainWindow::setSampleRateNumber(int kiloHertz)
{
    sampleRateReadout_->setNumber(kiloHertz);
}

void MainWindow::setBitrateNumber(int kbps)
{
    bitrateReadout_->setNumber(kbps);
}

void MainWindow::showPaused(bool paused)
{
    if (pauseButton_) pauseButton_->showPaused(paused);
    tellShownChanged();
}

void MainWindow::showListChanged()
{
    if (playlist_) playlist_->listChanged();
}

void MainWindow::redrawTitle()
{
    repaint(titleRect_);
}

void MainWindow::showVolume(int volume)
{
    volumeText_ = QStringLiteral("Volume %1 %").arg(volume);
    volumeShown_.start();
    redrawTitle();
    tellShownChanged();
}

void MainWindow::tellShownChanged()
{
    if (onShownChanged) onShownChanged();
}

QString MainWindow::shownTitleText() const
{
    return volumeShown_.isActive() ? volumeText_ : titleText_;
}

QString MainWindow::titleToolTip()
{
    // The tags are read once a song, at most a bounded head and tail of it.
    if (titlePath_ != toolTipPath_) {
        toolTipPath_ = titlePath_;
        toolTip_ = titlePath_.empty() ? QString() : songToolTip(titlePath_);
    }
    return toolTip_;
}

void MainWindow::drawTitle(QPainter& target)
{
    titleBackground_.draw(target);
    const QString text = shownTitleText();
    if (text.isEmpty() || titleRect_.width() <= 0 || titleRect_.height() <= 0) return;
    const QFont font = skinFont(QString::fromStdString(skin_->displayFont), titleRect_.height());
    target.setFont(font);
    target.setPen(colourOf(skin_->displayColour));
    const QString shown = target.fontMetrics().elidedText(text, Qt::ElideRight, titleRect_.width());
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
    if (!dragging_) return;
    // The grabbed point stays under the mouse, also while the mouse is left
    // of or above the window (negative client coordinates).
    if (!platform::moveDraggedWindow(*this, mouseOnScreen(x, y) - grab_)) dragging_ = false;
}

void MainWindow::onLeftButtonUp(int, int, Qt::MouseButtons)
{
    dragging_ = false;
}

void MainWindow::onChar(int code)
{
    if ((code & 0xff) == 27) actions_.quit(false);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Space:
            // Held down, the key pauses once rather than flickering.
            if (!event->isAutoRepeat()) actions_.togglePause();
            return;
        case Qt::Key_Left:
            actions_.seekBy(-seekStep);
            return;
        case Qt::Key_Right:
            actions_.seekBy(seekStep);
            return;
        case Qt::Key_Up:
            actions_.changeVolume(volumeStep);
            return;
        case Qt::Key_Down:
            actions_.changeVolume(-volumeStep);
            return;
        case Qt::Key_Menu:
            faceMenu_.popup(mapToGlobal(rect().center()));
            return;
        default:
            break;
        }
    } else if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_O) {
        if (!event->isAutoRepeat()) actions_.open();
        return;
    } else if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_L) {
        if (!event->isAutoRepeat()) togglePlaylist();
        return;
    } else if (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_F10) {
        faceMenu_.popup(mapToGlobal(rect().center()));
        return;
    }
    SkinWindow::keyPressEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // The keyboard's own menu request opens it at the face's middle.
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(rect().center());
    faceMenu_.popup(at);
    event->accept();
}

void MainWindow::wheelEvent(QWheelEvent* event)
{
    // One notch of a wheel is 120 eighths of a degree: a step of 5.
    constexpr int notch = QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / notch;
    wheelRemainder_ -= notches * notch;
    if (notches != 0) actions_.changeVolume(volumeStep * notches);
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // Looked at once a drag: a drag of many files looks at each of them.
    dragNamesSongs_ = !droppedPaths(*event->mimeData()).empty();
    if (dragNamesSongs_) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (dragNamesSongs_) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = droppedPaths(*event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    actions_.playPaths(paths);
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = titleRect_.contains(help->pos()) ? titleToolTip() : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, titleRect_);
        }
        return true;
    }
    return SkinWindow::event(event);
}

void MainWindow::onCopyData(const std::string& path)
{
    bringBack();
    if (!path.empty()) actions_.takeOverFile(path);
}

void MainWindow::bringBack()
{
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void MainWindow::onDestroy()
{
    QCoreApplication::exit(0);
}
