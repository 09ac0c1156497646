#include "Buttons.h"

#include "MainWindow.h"
#include "Skin.h"

MainWindowButton::MainWindowButton(MainWindow& owner, const SkinRect& rect, const Bitmap& mainUp,
                                   const Bitmap& mainDown)
    : SkinButton(&owner, rect.x, rect.y, pieceAt(mainUp, rect), pieceAt(mainDown, rect)), owner_(owner)
{
}

void AboutButton::onClick() { owner_.showAbout(); }
void MinimizeButton::onClick() { owner_.minimize(); }
void QuitButton::onClick() { owner_.quitPlayer(true); }
void PrevButton::onClick() { owner_.previousSong(); }
void StopButton::onClick() { owner_.stopSong(); }
void PlayButton::onClick() { owner_.playSong(); }
void NextButton::onClick() { owner_.nextSong(); }
void OpenButton::onClick() { owner_.openSong(); }

void PauseButton::onClick() { owner_.togglePause(); }

void PauseButton::onLeftButtonUp(int x, int y, Qt::MouseButtons keys)
{
    SkinButton::onLeftButtonUp(x, y, keys);
    showPaused(owner_.isPaused());
}
