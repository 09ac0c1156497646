#pragma once

#include <QRect>
#include <QString>
#include <memory>
#include <string>

#include "Buttons.h"
#include "PlayerReadouts.h"
#include "Skin.h"
#include "SkinWindow.h"

class AboutWindow;
class FileDialogs;
class Player;
class PlayerSettings;
class SeekBar;
class SkinLabel;
class UserMessages;
class WindowPosition;

// What the main window works with; all of it outlives the window.
struct MainWindowServices {
    Player& player;
    PlayerSettings& settings;
    WindowPosition& position;
    UserMessages& messages;
    FileDialogs& dialogs;
};

// The player's face: a frameless, topmost window of exactly the shape of the
// skin's face, with the nine buttons, the title, the seek bar and the three
// readouts on it. It is dragged by any point of the face that no control
// covers.
class MainWindow : public SkinWindow {
public:
    // Builds the window from the skin named in the settings, with the
    // start-up picture on the screen meanwhile, and shows it. A non-empty
    // path is stored as the song and played at once. Throws ShellError when
    // the skin cannot be loaded.
    MainWindow(const MainWindowServices& services, const std::string& commandLinePath);
    ~MainWindow() override;

    // The buttons' actions.
    void showAbout();
    void minimize();
    void quitPlayer(bool askAboutSkin);
    void previousSong();
    void stopSong();
    void togglePause();
    bool isPaused() const;
    void playSong();
    void nextSong();
    void openSong();

    // A path handed over by a second start: it becomes the playlist and the
    // song, and a running player moves on to it.
    void takeOverFile(const std::string& path);

    // The readouts, on the window thread.
    void showAudible(const Audible& audible);
    void setTitle(const std::string& path);
    void setTime(int seconds);
    void setSampleRateNumber(int kiloHertz);
    void setBitrateNumber(int kbps);
    void showPaused(bool paused);

    const QString& titleText() const { return titleText_; }
    const Skin& skin() const { return *skin_; }
    SeekBar& seekBar() { return *seekBar_; }
    SkinLabel& timeReadout() { return *timeReadout_; }
    SkinLabel& sampleRateReadout() { return *sampleRateReadout_; }
    SkinLabel& bitrateReadout() { return *bitrateReadout_; }
    QRect titleRect() const { return titleRect_; }
    bool isDragging() const { return dragging_; }

    void onPaint(QPainter& target) override;
    void onMouseMove(int x, int y, Qt::MouseButtons keys) override;
    void onLeftButtonDown(int x, int y, Qt::MouseButtons keys) override;
    void onLeftButtonUp(int x, int y, Qt::MouseButtons keys) override;
    void onChar(int code) override;
    void onDestroy() override;
    void onCopyData(const std::string& path) override { takeOverFile(path); }

private:
    void createControls();
    void drawTitle(QPainter& target);
    void redrawTitle();
    void savePosition();

    MainWindowServices services_;
    bool dragging_ = false;
    QPoint grab_;
    std::unique_ptr<Skin> skin_;
    BitmapPiece titleBackground_;
    QRect titleRect_;
    QString titleText_;
    // The song whose title is shown.
    std::uint32_t titleSong_ = 0;
    std::unique_ptr<AboutButton> aboutButton_;
    std::unique_ptr<MinimizeButton> minimizeButton_;
    std::unique_ptr<QuitButton> quitButton_;
    std::unique_ptr<PrevButton> prevButton_;
    std::unique_ptr<StopButton> stopButton_;
    std::unique_ptr<PauseButton> pauseButton_;
    std::unique_ptr<PlayButton> playButton_;
    std::unique_ptr<NextButton> nextButton_;
    std::unique_ptr<OpenButton> openButton_;
    std::unique_ptr<SeekBar> seekBar_;
    std::unique_ptr<SkinLabel> timeReadout_;
    std::unique_ptr<SkinLabel> sampleRateReadout_;
    std::unique_ptr<SkinLabel> bitrateReadout_;
};
