#pragma once

#include "Skin.h"

class PlayerActions;

// The nine buttons of the face. Each is a SkinButton whose click runs one of
// the player's actions; its tool tip names it ("Play", as the skin's key).
class MainWindowButton : public SkinButton {
public:
    MainWindowButton(SkinWindow& face, PlayerActions& actions, const SkinRect& rect, const Bitmap& mainUp,
                     const Bitmap& mainDown, const char* name);

protected:
    PlayerActions& actions_;
};

#define SONORBOX_BUTTON(Name)                                                                                          \
    class Name : public MainWindowButton {                                                                             \
    public:                                                                                                            \
        using MainWindowButton::MainWindowButton;                                                                      \
        void onClick() override;                                                                                       \
    };

SONORBOX_BUTTON(AboutButton)
SONORBOX_BUTTON(MinimizeButton)
SONORBOX_BUTTON(QuitButton)
SONORBOX_BUTTON(PrevButton)
SONORBOX_BUTTON(StopButton)
SONORBOX_BUTTON(PlayButton)
SONORBOX_BUTTON(NextButton)
SONORBOX_BUTTON(OpenButton)

#undef SONORBOX_BUTTON

// Pause stays pressed while the song is paused.
class PauseButton : public MainWindowButton {
public:
    using MainWindowButton::MainWindowButton;
    void onClick() override;
    void onLeftButtonUp(int x, int y, Qt::MouseButtons keys) override;
    // Shows whether the player is paused.
    void showPaused(bool paused) { setPressedLook(paused); }
};
