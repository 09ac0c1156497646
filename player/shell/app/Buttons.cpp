#include "Buttons.h"

#include "PlayerActions.h"
#include "Skin.h"

MainWindowButton::MainWindowButton(SkinWindow& face, PlayerActions& actions, const SkinRect& rect, const Bitmap& mainUp,
                                   const Bitmap& mainDown, const char* name)
    : SkinButton(&face, rect.x, rect.y, pieceAt(mainUp, rect), pieceAt(mainDown, rect)), actions_(actions)
{
    setToolTip(QString::fromLatin1(name));
}

void AboutButton::onClick()
{
    actions_.showAbout();
}
void MinimizeButton::onClick()
{
    actions_.minimize();
}
void QuitButton::onClick()
{
    actions_.quit(true);
}
void PrevButton::onClick()
{
    actions_.previous();
}
void StopButton::onClick()
{
    actions_.stop();
}
void PlayButton::onClick()
{
    actions_.play();
}
void NextButton::onClick()
{
    actions_.next();
}
void OpenButton::onClick()
{
    actions_.open();
}

void PauseButton::onClick()
{
    actions_.togglePause();
}

void PauseButton::onLeftButtonUp(int x, int y, Qt::MouseButtons keys)
{
    SkinButton::onLeftButtonUp(x, y, keys);
    showPaused(actions_.isPaused());
}
