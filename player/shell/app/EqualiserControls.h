#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "EqualiserPresets.h"
#include "Mp3Decoder.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QSlider;

// The listener's equaliser, as the equaliser window shows it: an On switch, a slider for each of the twelve
// break points (-12 to +12 dB, labelled by its frequency), a preamp slider
// that follows the headroom the curve needs while it is on Auto, a readout
// under each slider, and the presets, with "Custom" for a curve the
// listener shaped. Every change is told at once, whole.
//
// The sliders count tenths of a dB, so that each preset and the built-in
// curve sit exactly on them; the listener's own moves (a drag, the arrow and
// page keys, the wheel) land on half dBs.
class EqualiserControls : public QWidget {
public:
    using Changed = std::function<void(const mp3::EqualiserSetting& setting)>;

    EqualiserControls(const mp3::EqualiserSetting& setting, Changed changed);

    const mp3::EqualiserSetting& setting() const { return setting_; }

private:
    void build();
    QHBoxLayout* buildSwitchAndPresets();
    void addScale(QGridLayout& grid);
    void addBand(QGridLayout& grid, int band);
    void addPreamp(QGridLayout& grid, int column);
    void choosePreset(int index);
    void moveBand(int band, int tenths);
    void movePreamp(int tenths);
    void setAutoPreamp(bool automatic);
    void setOn(bool on);
    // The setting as it now is: told, then shown.
    void tellChanged();
    void showSetting();
    void showPresets();

    mp3::EqualiserSetting setting_;
    // The listener's own curve of this run, chosen again as "Custom" after
    // a preset was tried.
    std::optional<EqualiserGains> custom_;
    Changed changed_;
    QCheckBox* on_ = nullptr;
    QComboBox* presets_ = nullptr;
    std::array<QSlider*, mp3::equaliserBands> bands_{};
    std::array<QLabel*, mp3::equaliserBands> bandReadouts_{};
    QSlider* preamp_ = nullptr;
    QLabel* preampReadout_ = nullptr;
    QCheckBox* autoPreamp_ = nullptr;
};
