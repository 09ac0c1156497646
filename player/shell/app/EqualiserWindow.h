#pragma once

#include "EqualiserControls.h"
#include "FaceToolWindow.h"

// The equaliser's window: its controls in a tool window that follows the
// face, of the controls' own size, its place remembered in the settings
// file's "EqualiserWindow" section. Escape closes it.
class EqualiserWindow : public FaceToolWindow {
public:
    static constexpr const char* placeSection = "EqualiserWindow";

    EqualiserWindow(QWidget& face, const std::string& settingsFile, const mp3::EqualiserSetting& setting,
                    EqualiserControls::Changed changed);

    EqualiserControls& controls() { return *controls_; }

private:
    EqualiserWindow(QWidget& face, const std::string& settingsFile, EqualiserControls* controls);

    EqualiserControls* controls_;
};
