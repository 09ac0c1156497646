#include "EqualiserControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "EqualiserBands.h"

namespace {

// The ampersands mark the keys that reach them with Alt.
const char* const onText = "&On";
const char* const presetText = "&Preset:";
const char* const customText = "Custom";
const char* const preampText = "Preamp";
const char* const autoText = "&Auto";
const char* const autoToolTip = "The headroom the curve needs, so that nothing clips";
const char* const heldToolTip = "Set to %1 dB; held at %2 dB, the headroom the curve needs, so that nothing clips";

// A listener's move lands on a half dB; the keys' single and page steps
// are a half and three dB.
constexpr int moveTenths = 5;
constexpr int pageTenths = 30;

int tenthsOf(float db)
{
    return static_cast<int>(std::lround(db * 10.0f));
}

// Exact for every tenth: the division rounds to the float nearest the
// decimal, as the presets' own figures are.
float decibelsOf(int tenths)
{
    return static_cast<float>(tenths) / 10.0f;
}

// "+1.5", "0.0", "-12.0".
QString readoutText(int tenths)
{
    const QString figure = QString::number(std::abs(tenths) / 10.0, 'f', 1);
    if (tenths > 0) return QLatin1Char('+') + figure;
    if (tenths < 0) return QLatin1Char('-') + figure;
    return figure;
}

// Where a listener's move lands: the half dB nearest where the slider was
// taken, or put by a page step; a single step goes to the next half dB its
// way, so that a gain between two (the built-in curve's 1.6 dB) reaches 2.0
// and 1.5, not 2.1 and 1.1.
int snappedPosition(int from, int to, int action)
{
    const double halves = static_cast<double>(to) / moveTenths;
    if (action == QAbstractSlider::SliderSingleStepAdd && to > from)
        return static_cast<int>(std::floor(halves)) * moveTenths;
    if (action == QAbstractSlider::SliderSingleStepSub && to < from)
        return static_cast<int>(std::ceil(halves)) * moveTenths;
    return static_cast<int>(std::lround(halves)) * moveTenths;
}

QSlider* decibelSlider(QWidget* parent, float lowestDb, float highestDb, const QString& name)
{
    auto* slider = new QSlider(Qt::Vertical, parent);
    slider->setRange(tenthsOf(lowestDb), tenthsOf(highestDb));
    slider->setSingleStep(moveTenths);
    slider->setPageStep(pageTenths);
    slider->setTickPosition(QSlider::TicksBothSides);
    slider->setTickInterval(60);
    slider->setMinimumHeight(140);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setAccessibleName(name);
    slider->setToolTip(name);
    QObject::connect(slider, &QAbstractSlider::actionTriggered, slider, [slider](int action) {
        slider->setSliderPosition(snappedPosition(slider->value(), slider->sliderPosition(), action));
    });
    return slider;
}

QLabel* centredLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

// A readout as wide as the wider of its ends, so that the window keeps its
// size while a slider moves.
QLabel* readoutLabel(float lowestDb, float highestDb, QWidget* parent)
{
    QLabel* label = centredLabel(QString(), parent);
    const QFontMetrics metrics = label->fontMetrics();
    label->setMinimumWidth(std::max(metrics.horizontalAdvance(readoutText(tenthsOf(lowestDb))),
                                    metrics.horizontalAdvance(readoutText(tenthsOf(highestDb)))));
    return label;
}

} // namespace

EqualiserControls::EqualiserControls(const mp3::EqualiserSetting& setting, Changed changed)
    : setting_(setting), changed_(std::move(changed))
{
    if (!presetOf(setting_.gainsDb)) custom_ = setting_.gainsDb;
    build();
    showSetting();
}

void EqualiserControls::build()
{
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addLayout(buildSwitchAndPresets());
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    addScale(*grid);
    for (int band = 0; band < mp3::equaliserBands; ++band) addBand(*grid, band);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 0, mp3::equaliserBands + 1, 3, 1);
    addPreamp(*grid, mp3::equaliserBands + 2);
    whole->addLayout(grid);

    // Tab goes along the window as it reads: the switch, the presets, the
    // bands from the lowest up, the preamp.
    setTabOrder(on_, presets_);
    QWidget* previous = presets_;
    for (QSlider* slider : bands_) {
        setTabOrder(previous, slider);
        previous = slider;
    }
    setTabOrder(previous, preamp_);
    setTabOrder(preamp_, autoPreamp_);
}

QHBoxLayout* EqualiserControls::buildSwitchAndPresets()
{
    auto* row = new QHBoxLayout;
    on_ = new QCheckBox(QString::fromLatin1(onText), this);
    on_->setObjectName("on");
    connect(on_, &QCheckBox::toggled, this, [this](bool on) { setOn(on); });
    row->addWidget(on_);
    row->addStretch(1);
    auto* presetLabel = new QLabel(QString::fromLatin1(presetText), this);
    presets_ = new QComboBox(this);
    presets_->setObjectName("presets");
    presetLabel->setBuddy(presets_);
    for (const EqualiserPreset& preset : equaliserPresets()) presets_->addItem(QString::fromStdString(preset.name));
    connect(presets_, &QComboBox::activated, this, [this](int index) { choosePreset(index); });
    row->addWidget(presetLabel);
    row->addWidget(presets_);
    return row;
}

void EqualiserControls::addScale(QGridLayout& grid)
{
    // The sliders' top, middle and bottom.
    auto* scale = new QVBoxLayout;
    const auto limit = static_cast<int>(mp3::equaliserGainLimitDb);
    for (const QString& mark : {QString("+%1").arg(limit), QString("0"), QString("-%1").arg(limit)}) {
        if (scale->count() > 0) scale->addStretch(1);
        auto* label = new QLabel(mark, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        scale->addWidget(label);
    }
    grid.addLayout(scale, 0, 0);
    // The units of the readouts and of the labels under the sliders.
    for (const auto& [unit, row] : {std::pair{"dB", 1}, std::pair{"Hz", 2}}) {
        auto* label = new QLabel(QString::fromLatin1(unit), this);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        grid.addWidget(label, row, 0);
    }
}

void EqualiserControls::addBand(QGridLayout& grid, int band)
{
    const double hz = equaliserbands::frequencyHz(band);
    QSlider* slider = decibelSlider(this, -mp3::equaliserGainLimitDb, mp3::equaliserGainLimitDb,
                                    QString("%1 Hz").arg(std::lround(hz)));
    slider->setObjectName(QString("band%1").arg(band));
    connect(slider, &QSlider::valueChanged, this, [this, band](int tenths) { moveBand(band, tenths); });
    bands_[band] = slider;
    bandReadouts_[band] = readoutLabel(-mp3::equaliserGainLimitDb, mp3::equaliserGainLimitDb, this);
    bandReadouts_[band]->setObjectName(QString("band%1Readout").arg(band));
    QLabel* frequency = centredLabel(equaliserbands::label(hz), this);
    frequency->setObjectName(QString("band%1Frequency").arg(band));
    const int column = band + 1;
    grid.addWidget(slider, 0, column, Qt::AlignHCenter);
    grid.addWidget(bandReadouts_[band], 1, column);
    grid.addWidget(frequency, 2, column);
}

void EqualiserControls::addPreamp(QGridLayout& grid, int column)
{
    preamp_ =
        decibelSlider(this, mp3::equaliserPreampFloorDb, mp3::equaliserGainLimitDb, QString::fromLatin1(preampText));
    preamp_->setObjectName("preamp");
    connect(preamp_, &QSlider::valueChanged, this, [this](int tenths) { movePreamp(tenths); });
    preampReadout_ = readoutLabel(mp3::equaliserPreampFloorDb, mp3::equaliserGainLimitDb, this);
    preampReadout_->setObjectName("preampReadout");
    autoPreamp_ = new QCheckBox(QString::fromLatin1(autoText), this);
    autoPreamp_->setObjectName("preampAuto");
    autoPreamp_->setToolTip(QString::fromLatin1(autoToolTip));
    connect(autoPreamp_, &QCheckBox::toggled, this, [this](bool automatic) { setAutoPreamp(automatic); });
    grid.addWidget(preamp_, 0, column, Qt::AlignHCenter);
    grid.addWidget(preampReadout_, 1, column);
    grid.addWidget(centredLabel(QString::fromLatin1(preampText), this), 2, column);
    grid.addWidget(autoPreamp_, 3, column, Qt::AlignHCenter);
}

void EqualiserControls::setOn(bool on)
{
    if (setting_.on == on) return;
    setting_.on = on;
    tellChanged();
}

void EqualiserControls::choosePreset(int index)
{
    const auto& presets = equaliserPresets();
    if (index >= 0 && static_cast<std::size_t>(index) < presets.size()) {
        setting_.gainsDb = presets[static_cast<std::size_t>(index)].gainsDb;
        // A preset brings its own headroom.
        setting_.preampDb.reset();
    } else if (custom_) {
        setting_.gainsDb = *custom_;
    }
    tellChanged();
}

void EqualiserControls::moveBand(int band, int tenths)
{
    setting_.gainsDb[static_cast<std::size_t>(band)] = decibelsOf(tenths);
    if (!presetOf(setting_.gainsDb)) custom_ = setting_.gainsDb;
    tellChanged();
}

void EqualiserControls::movePreamp(int tenths)
{
    setting_.preampDb = decibelsOf(tenths);
    tellChanged();
}

void EqualiserControls::setAutoPreamp(bool automatic)
{
    // Taken off Auto, the preamp stays where Auto had it, until moved.
    if (automatic)
        setting_.preampDb.reset();
    else
        setting_.preampDb = mp3::preampInEffect(setting_);
    tellChanged();
}

void EqualiserControls::tellChanged()
{
    changed_(setting_);
    showSetting();
}

void EqualiserControls::showSetting()
{
    {
        const QSignalBlocker blocked(on_);
        on_->setChecked(setting_.on);
    }
    for (int band = 0; band < mp3::equaliserBands; ++band) {
        const int tenths = tenthsOf(setting_.gainsDb[static_cast<std::size_t>(band)]);
        const QSignalBlocker blocked(bands_[band]);
        bands_[band]->setValue(tenths);
        bandReadouts_[band]->setText(readoutText(tenths));
    }
    const float inEffect = mp3::preampInEffect(setting_);
    {
        const QSignalBlocker blocked(preamp_);
        preamp_->setValue(tenthsOf(setting_.preampDb.value_or(inEffect)));
    }
    preampReadout_->setText(readoutText(tenthsOf(inEffect)));
    const bool held = setting_.preampDb && tenthsOf(*setting_.preampDb) != tenthsOf(inEffect);
    preampReadout_->setToolTip(
        held ? QString::fromLatin1(heldToolTip)
                   .arg(readoutText(tenthsOf(*setting_.preampDb)), readoutText(tenthsOf(inEffect)))
             : QString());
    {
        const QSignalBlocker blocked(autoPreamp_);
        autoPreamp_->setChecked(!setting_.preampDb);
    }
    showPresets();
}

void EqualiserControls::showPresets()
{
    const QSignalBlocker blocked(presets_);
    // "Custom" comes last, once the listener has shaped a curve of their own.
    if (custom_ && static_cast<std::size_t>(presets_->count()) == equaliserPresets().size())
        presets_->addItem(QString::fromLatin1(customText));
    const std::optional<std::size_t> preset = presetOf(setting_.gainsDb);
    presets_->setCurrentIndex(preset ? static_cast<int>(*preset) : presets_->count() - 1);
}
