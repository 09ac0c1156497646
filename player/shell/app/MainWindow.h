#pragma once

#include <QRect>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Buttons.h"
#include "FaceMenu.h"
#include "MainWindowServices.h"
#include "PlayerActions.h"
#include "PlayerReadouts.h"
#include "Skin.h"

class PlaylistWindow;
class EqualiserWindow;
class SeekBar;
class SkinLabel;

// The player's face: a frameless, topmost window of exactly the shape of the
// skin's face, with the nine buttons, the title, the seek bar and the three
// readouts on it. It is dragged by any point of the face that no control
// covers. Keys, the mouse wheel and the files and folders dropped on it
// (played as one list) run the player's actions as the buttons do; the
// title line's tool tip names the song as its tags do. A right click, the
// Menu key or Shift+F10 opens the face's menu; Ctrl+L opens and closes the
// playlist window.
class MainWindow : public SkinWindow {
public:
    // Builds the window from the skin named in the settings, with the
    // start-up picture on the screen meanwhile, and shows it. A non-empty
    // path is stored as the song and played at once. Throws ShellError when
    // the skin cannot be loaded.
    MainWindow(const MainWindowServices& services, const std::string& commandLinePath);
    ~MainWindow() override;

    PlayerActions& actions() { return actions_; }
    const PlayerSettings& settings() const { return services_.settings; }
    FaceMenu& faceMenu() { return faceMenu_; }

    // Puts on the skin whose "Skin.ini" is skinFile at once: the face takes
    // its shape, controls and looks, what is heard plays on, and "skin"
    // names it. A skin that cannot be loaded is told, naming the file, and
    // the skin worn stays; false then.
    bool wearSkin(const std::string& skinFile);
    // The skin chooser, in the folder of the skin worn; the chosen skin is
    // put on. A chosen file that is no skin is told and asked again.
    void chooseSkinFile();
    // Whether the face stays above other windows; remembered as "OnTop".
    void setOnTop(bool onTop);
    // The playlist window beside the face, opened or closed from the menu
    // or with Ctrl+L; remembered.
    PlaylistWindow& playlistWindow() { return *playlist_; }
    void togglePlaylist();
    // Opens the equaliser's window, one a run: a second choice raises it.
    // It opens with the face when it was open at the end of the last run.
    void showEqualiser();

    // The readouts, on the window thread.
    void showAudible(const Audible& audible);
    void setTitle(const std::string& path);
    void setTime(int seconds);
    void setSampleRateNumber(int kiloHertz);
    void setBitrateNumber(int kbps);
    void showPaused(bool paused);
    void showListChanged();

    const QString& titleText() const { return titleText_; }
    // Told whenever what is heard (the song, its length, the time), the
    // pause or the volume shown changes.
    std::function<void()> onShownChanged;
    // What the title line shows: the title, or for a second after a change
    // of the volume "Volume 70 %".
    QString shownTitleText() const;
    // The title line's tool tip: "Artist - Title (Album)" from the song's
    // tags, with what they lack left out; empty without tags.
    QString titleToolTip();
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
    // A second start: the window comes back into view (restored when
    // minimised, raised), and a path it hands over is taken over.
    void onCopyData(const std::string& path) override;
    void bringBack();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    EqualiserWindow& equaliserWindow();
    void destroyControls();
    void drawTitle(QPainter& target);
    void redrawTitle();
    void showVolume(int volume);
    void tellShownChanged();

    MainWindowServices services_;
    PlayerActions actions_;
    bool dragging_ = false;
    // Whether the drag over the face names anything to play.
    bool dragNamesSongs_ = false;
    QPoint grab_;
    std::unique_ptr<Skin> skin_;
    BitmapPiece titleBackground_;
    QRect titleRect_;
    QString titleText_;
    // The song whose title is shown, and its path.
    std::uint32_t titleSong_ = 0;
    std::string titlePath_;
    // The tool tip of the song last asked for, read once.
    std::string toolTipPath_;
    QString toolTip_;
    QString volumeText_;
    QTimer volumeShown_;
    // Wheel turns not yet a whole step (fine-grained wheels and touch pads).
    int wheelRemainder_ = 0;
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
    FaceMenu faceMenu_{*this};
    std::unique_ptr<PlaylistWindow> playlist_;
    // Made when first opened; it goes first, before the actions it asks.
    std::unique_ptr<EqualiserWindow> equaliser_;
};
