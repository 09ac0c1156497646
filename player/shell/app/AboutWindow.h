#pragma once

#include "Skin.h"

class PlayerSettings;

// The skin's "About.bmp" in a plain window of its size, centred on the
// screen's work area, without a task-bar entry. As the start-up picture it
// ignores clicks; as the about window a left-button release closes it.
class AboutWindow : public SkinWindow {
public:
    // Throws ShellError("Bitmap file could not be loaded.") when the skin
    // has no readable "About.bmp". Shown at once.
    AboutWindow(bool closeOnClick, const PlayerSettings& settings);

    // The about window of this process, if one is open.
    static AboutWindow* findOpen();

    void onPaint(QPainter& target) override;
    void onLeftButtonUp(int x, int y, Qt::MouseButtons keys) override;

private:
    bool closeOnClick_;
    Bitmap picture_;
};
