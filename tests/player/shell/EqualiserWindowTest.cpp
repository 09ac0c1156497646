// The equaliser's window: each control asks the engine for the whole
// setting at once, the keys move the sliders, the presets and "Custom", the
// preamp on Auto and set by hand, the setting and the window's place saved
// and read back, the face's menu item, and the real engine driven by it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSlider>

#include "EqualiserBands.h"
#include "EqualiserPresets.h"
#include "EqualiserWindow.h"
#include "ShellTestSupport.h"

namespace {

using Kind = RecordingRequests::Kind;

// The face's equaliser windows (it has no meta-object of its own for
// findChild to tell it by).
std::vector<EqualiserWindow*> equalisersOf(const QWidget& face)
{
    std::vector<EqualiserWindow*> found;
    for (QWidget* child : face.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (auto* window = dynamic_cast<EqualiserWindow*>(child)) found.push_back(window);
    return found;
}
EqualiserWindow* equaliserOf(const QWidget& face)
{
    const auto found = equalisersOf(face);
    return found.empty() ? nullptr : found.front();
}

// The built-in curve, as the sliders count it (tenths of a dB).
const std::array<int, 12> builtInTenths{16, 0, 8, 16, 23, 29, 35, 41, 46, 51, 56, 60};

struct EqualiserShell : ShellFixture {
    EqualiserWindow& show()
    {
        if (!window) open();
        window->showEqualiser();
        EqualiserWindow* shown = equaliserOf(*window);
        EXPECT_NE(shown, nullptr);
        return *shown;
    }
    // The settings asked of the engine, in order.
    std::vector<mp3::EqualiserSetting> asked() const
    {
        std::vector<mp3::EqualiserSetting> settings;
        for (const auto& request : requests.asked())
            if (request.kind == Kind::equaliser) settings.push_back(request.equaliser);
        return settings;
    }
    mp3::EqualiserSetting saved() const { return equalisersettings::read(IniFile(settingsFile)); }
    // Saves setting as an earlier run did; the engine reads it as each
    // player thread starts, until the listener chooses one.
    void save(const mp3::EqualiserSetting& setting)
    {
        equalisersettings::write(IniFile(settingsFile), setting);
        player.startPlayerThread(testSong("stereo-128.mp3"));
        player.stopPlayback();
    }
};

template <typename Widget>
Widget& control(EqualiserWindow& window, const QString& name)
{
    Widget* found = window.findChild<Widget*>(name);
    if (!found) ADD_FAILURE() << "no control " << name.toStdString();
    return *found;
}
QSlider& band(EqualiserWindow& window, int index)
{
    return control<QSlider>(window, QString("band%1").arg(index));
}
QString readout(EqualiserWindow& window, const QString& name)
{
    return control<QLabel>(window, name).text();
}
QComboBox& presets(EqualiserWindow& window)
{
    return control<QComboBox>(window, "presets");
}

std::array<int, 12> sliderTenths(EqualiserWindow& window)
{
    std::array<int, 12> tenths{};
    for (int i = 0; i < 12; ++i) tenths[i] = band(window, i).value();
    return tenths;
}

std::array<int, 12> tenthsOf(const EqualiserGains& gains)
{
    std::array<int, 12> tenths{};
    for (int i = 0; i < 12; ++i) tenths[i] = static_cast<int>(std::lround(gains[i] * 10));
    return tenths;
}

// Chooses the preset named with the keys, as a listener does on the closed
// box: Home, then Down until it shows.
void choosePreset(EqualiserWindow& window, const QString& name)
{
    QComboBox& box = presets(window);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Home);
    for (int i = 0; i < box.count() && box.currentText() != name; ++i) QTest::keyClick(&box, Qt::Key_Down);
    ASSERT_EQ(box.currentText(), name);
}

bool activate(QWidget& window)
{
    window.activateWindow();
    return processUntil([&] { return window.isActiveWindow(); }, std::chrono::seconds(5));
}

} // namespace

TEST(EqualiserBands, TheBreakPointsAreLabelledByTheirFrequenciesAt44100Hertz)
{
    QStringList labels;
    for (int i = 0; i < 12; ++i) labels << equaliserbands::label(equaliserbands::frequencyHz(i));
    EXPECT_EQ(labels,
              QStringList({"0", "191", "383", "766", "1.1k", "1.9k", "3.8k", "5.7k", "7.7k", "11k", "15k", "22k"}));
    EXPECT_DOUBLE_EQ(equaliserbands::frequencyHz(11), 22050.0);
    EXPECT_DOUBLE_EQ(equaliserbands::frequencyHz(10), 15312.5);
    // Where a rounding would take a figure past its form.
    EXPECT_EQ(equaliserbands::label(999.6), "1.0k");
    EXPECT_EQ(equaliserbands::label(9960.0), "10k");

    // The window shows them under the sliders, which the screen reader names.
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    QStringList shown;
    for (int i = 0; i < 12; ++i) shown << readout(window, QString("band%1Frequency").arg(i));
    EXPECT_EQ(shown, labels);
    EXPECT_EQ(band(window, 2).accessibleName(), "383 Hz");
    EXPECT_EQ(band(window, 11).accessibleName(), "22050 Hz");
}

TEST(EqualiserWindow, OpensOnTheSavedSettingTheBuiltInCurveWhenNoneIsSaved)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    EXPECT_EQ(window.windowTitle(), "Equaliser");
    EXPECT_TRUE(control<QCheckBox>(window, "on").isChecked());
    EXPECT_EQ(sliderTenths(window), builtInTenths);
    EXPECT_EQ(readout(window, "band0Readout"), "+1.6");
    EXPECT_EQ(readout(window, "band1Readout"), "0.0");
    EXPECT_EQ(presets(window).currentText(), "Built-in");
    EXPECT_TRUE(control<QCheckBox>(window, "preampAuto").isChecked());
    // The built-in curve doubles the top: 6 dB of headroom.
    EXPECT_EQ(readout(window, "preampReadout"), "-6.0");
    EXPECT_EQ(control<QSlider>(window, "preamp").value(), -60);
    EXPECT_TRUE(shell.asked().empty()) << "opening asks nothing";

    // A saved curve of the listener's, switched off, with a preamp.
    EqualiserShell other;
    mp3::EqualiserSetting mine;
    mine.on = false;
    mine.gainsDb = {-3, -2.5f, 0, 0, 1, 2, 3, 4, 5, 6, 7, 7.5f};
    mine.preampDb = -10.5f;
    other.save(mine);
    EqualiserWindow& theirs = other.show();
    EXPECT_EQ(theirs.controls().setting(), mine);
    EXPECT_FALSE(control<QCheckBox>(theirs, "on").isChecked());
    EXPECT_EQ(band(theirs, 11).value(), 75);
    EXPECT_EQ(presets(theirs).currentText(), "Custom");
    EXPECT_FALSE(control<QCheckBox>(theirs, "preampAuto").isChecked());
    EXPECT_EQ(readout(theirs, "preampReadout"), "-10.5");
}

TEST(EqualiserWindow, EachSliderAndTheSwitchAskTheEngineForTheWholeSettingAtOnce)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    ASSERT_TRUE(activate(window));
    // Up lands on the next half dB above each built-in gain.
    const std::array<float, 12> raised{2.0f, 0.5f, 1.0f, 2.0f, 2.5f, 3.0f, 4.0f, 4.5f, 5.0f, 5.5f, 6.0f, 6.5f};
    mp3::EqualiserSetting expected = mp3::builtInEqualiser();
    for (int i = 0; i < 12; ++i) {
        band(window, i).setFocus();
        QTest::keyClick(&band(window, i), Qt::Key_Up);
        expected.gainsDb[i] = raised[i];
        ASSERT_FALSE(shell.asked().empty());
        EXPECT_EQ(shell.asked().back(), expected) << "band " << i;
        EXPECT_EQ(shell.asked().size(), static_cast<std::size_t>(i + 1)) << "one request a move";
    }
    EXPECT_EQ(readout(window, "band11Readout"), "+6.5");
    EXPECT_EQ(readout(window, "preampReadout"), "-6.5") << "the headroom follows the curve";

    QTest::keyClick(&band(window, 0), Qt::Key_Down);
    QTest::keyClick(&band(window, 0), Qt::Key_Down);
    expected.gainsDb[0] = 1.0f;
    EXPECT_EQ(shell.asked().back(), expected);
    // Page steps are three dB; the ends are the range's.
    QTest::keyClick(&band(window, 0), Qt::Key_PageDown);
    expected.gainsDb[0] = -2.0f;
    EXPECT_EQ(shell.asked().back(), expected);
    QTest::keyClick(&band(window, 0), Qt::Key_Home);
    expected.gainsDb[0] = -12.0f;
    EXPECT_EQ(shell.asked().back(), expected);
    QTest::keyClick(&band(window, 0), Qt::Key_End);
    expected.gainsDb[0] = 12.0f;
    EXPECT_EQ(shell.asked().back(), expected);
    EXPECT_EQ(readout(window, "band0Readout"), "+12.0");

    // The switch: Space on it, as Tab reaches it.
    QCheckBox& on = control<QCheckBox>(window, "on");
    on.setFocus();
    QTest::keyClick(&on, Qt::Key_Space);
    expected.on = false;
    EXPECT_EQ(shell.asked().back(), expected);
    QTest::keyClick(&on, Qt::Key_Space);
    expected.on = true;
    EXPECT_EQ(shell.asked().back(), expected);
    // The engine holds what was asked last.
    EXPECT_EQ(shell.player.equaliser(), expected);
}

TEST(EqualiserWindow, TabGoesFromTheSwitchThroughThePresetsAndTheBandsToThePreamp)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    ASSERT_TRUE(activate(window));
    control<QCheckBox>(window, "on").setFocus();
    QStringList reached;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
    }
    QStringList expected{"presets"};
    for (int i = 0; i < 12; ++i) expected << QString("band%1").arg(i);
    expected << "preamp"
             << "preampAuto";
    EXPECT_EQ(reached, expected);

    // Alt and a marked letter reach the switch, the presets and Auto.
    QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &presets(window));
    // A button so reached is pressed for a moment, as if clicked.
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(processUntil([&] { return !control<QCheckBox>(window, "preampAuto").isChecked(); }));
    QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(processUntil([&] { return !shell.asked().empty() && !shell.asked().back().on; }));
}

TEST(EqualiserWindow, APresetSetsTheSlidersAndTheAutomaticPreampAndIsSavedAndReadBack)
{
    for (const EqualiserPreset& preset : equaliserPresets()) {
        const QString name = QString::fromStdString(preset.name);
        {
            EqualiserShell shell;
            EqualiserWindow& window = shell.show();
            // From a preamp set by hand, which the preset's own headroom replaces.
            QTest::keyClick(&control<QSlider>(window, "preamp"), Qt::Key_PageDown);
            choosePreset(window, name == "Built-in" ? "Flat" : "Built-in");
            QTest::keyClick(&control<QSlider>(window, "preamp"), Qt::Key_PageDown);
            choosePreset(window, name);
            EXPECT_EQ(sliderTenths(window), tenthsOf(preset.gainsDb)) << preset.name;
            ASSERT_FALSE(shell.asked().empty());
            EXPECT_EQ(shell.asked().back().gainsDb, preset.gainsDb) << preset.name;
            EXPECT_FALSE(shell.asked().back().preampDb.has_value()) << preset.name;
            EXPECT_TRUE(control<QCheckBox>(window, "preampAuto").isChecked()) << preset.name;
            const float headroom = -*std::max_element(preset.gainsDb.begin(), preset.gainsDb.end());
            EXPECT_NEAR(mp3::preampInEffect(window.controls().setting()), std::min(headroom, 0.0f), 0.05f)
                << preset.name;
            EXPECT_TRUE(processUntil([&] { return shell.saved() == window.controls().setting(); })) << preset.name;
            shell.player.stopPlayback();
        }
        // The next start's window shows it by name.
        EqualiserShell shell;
        EXPECT_EQ(presets(shell.show()).currentText(), "Built-in") << "a fresh settings file";
        shell.window.reset();
        mp3::EqualiserSetting setting;
        setting.gainsDb = preset.gainsDb;
        shell.save(setting);
        EXPECT_EQ(presets(shell.show()).currentText(), name);
        EXPECT_EQ(sliderTenths(*equaliserOf(*shell.window)), tenthsOf(preset.gainsDb));
    }
}

TEST(EqualiserWindow, ACurveOfTheListenersIsCustomAndComesBackAfterAPresetWasTried)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    QComboBox& box = presets(window);
    EXPECT_EQ(box.findText("Custom"), -1) << "no curve of the listener's yet";
    choosePreset(window, "Flat");
    QTest::keyClick(&band(window, 3), Qt::Key_Up);
    QTest::keyClick(&band(window, 3), Qt::Key_Up);
    EXPECT_EQ(box.currentText(), "Custom");
    EXPECT_EQ(box.findText("Custom"), box.count() - 1);
    // Back on Flat's curve by hand, it is Flat again.
    QTest::keyClick(&band(window, 3), Qt::Key_Down);
    QTest::keyClick(&band(window, 3), Qt::Key_Down);
    EXPECT_EQ(box.currentText(), "Flat");
    QTest::keyClick(&band(window, 3), Qt::Key_Up);
    QTest::keyClick(&band(window, 7), Qt::Key_PageUp);
    const EqualiserGains mine = window.controls().setting().gainsDb;
    EXPECT_EQ(mine[3], 0.5f);
    EXPECT_EQ(mine[7], 3.0f);

    choosePreset(window, "Bass boost");
    EXPECT_EQ(window.controls().setting().gainsDb, equaliserPresets()[2].gainsDb);
    EXPECT_EQ(box.findText("Custom"), box.count() - 1) << "the listener's curve is still offered";
    choosePreset(window, "Custom");
    EXPECT_EQ(window.controls().setting().gainsDb, mine);
    EXPECT_EQ(shell.asked().back().gainsDb, mine);
    EXPECT_EQ(band(window, 7).value(), 30);
    EXPECT_EQ(readout(window, "band7Readout"), "+3.0");
}

TEST(EqualiserWindow, ThePreampFollowsTheHeadroomOnAutoAndStaysWhereTheListenerSetsIt)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    QSlider& preamp = control<QSlider>(window, "preamp");
    QCheckBox& automatic = control<QCheckBox>(window, "preampAuto");
    choosePreset(window, "Flat");
    EXPECT_EQ(readout(window, "preampReadout"), "0.0");
    // A raise on Auto lowers the preamp to match.
    QTest::keyClick(&band(window, 5), Qt::Key_PageUp);
    EXPECT_EQ(readout(window, "preampReadout"), "-3.0");
    EXPECT_EQ(preamp.value(), -30);
    EXPECT_FALSE(shell.asked().back().preampDb.has_value());

    // Moved, it is the listener's: Auto goes off and a further raise leaves
    // it where it is.
    QTest::keyClick(&preamp, Qt::Key_PageDown);
    EXPECT_FALSE(automatic.isChecked());
    ASSERT_TRUE(shell.asked().back().preampDb.has_value());
    EXPECT_EQ(*shell.asked().back().preampDb, -6.0f);
    QTest::keyClick(&band(window, 5), Qt::Key_Up);
    EXPECT_EQ(*shell.asked().back().preampDb, -6.0f);
    EXPECT_EQ(readout(window, "preampReadout"), "-6.0");

    // Set above the headroom, it plays as the headroom, and says so.
    QTest::keyClick(&preamp, Qt::Key_End);
    EXPECT_EQ(*shell.asked().back().preampDb, 12.0f);
    EXPECT_EQ(preamp.value(), 120);
    EXPECT_EQ(readout(window, "preampReadout"), "-3.5");
    EXPECT_TRUE(control<QLabel>(window, "preampReadout").toolTip().contains("held at -3.5 dB"));

    // Auto again: the headroom, and a preset keeps it automatic.
    automatic.setFocus();
    QTest::keyClick(&automatic, Qt::Key_Space);
    EXPECT_FALSE(shell.asked().back().preampDb.has_value());
    EXPECT_EQ(preamp.value(), -35);
    EXPECT_TRUE(control<QLabel>(window, "preampReadout").toolTip().isEmpty());
    // Taken off Auto by its box, the preamp stays where Auto had it.
    QTest::keyClick(&automatic, Qt::Key_Space);
    ASSERT_TRUE(shell.asked().back().preampDb.has_value());
    EXPECT_EQ(tenthsOf({*shell.asked().back().preampDb})[0], -35);
    EXPECT_EQ(preamp.value(), -35);
}

TEST(EqualiserWindow, ADraggedSliderAsksAtEveryStepAndIsSavedOnceItRests)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    QSlider& slider = band(window, 4);
    QElapsedTimer moved;
    moved.start();
    // A drag: the places the mouse takes the slider to, as its moves do.
    slider.setSliderDown(true);
    for (int tenths = 23; tenths <= 100; ++tenths) slider.setSliderPosition(tenths);
    slider.setSliderDown(false);
    const auto asked = shell.asked();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().gainsDb[4], 10.0f);
    for (const auto& setting : asked) {
        const int tenths = static_cast<int>(std::lround(setting.gainsDb[4] * 10));
        EXPECT_EQ(tenths % 5, 0) << "a drag lands on half dBs, not " << tenths;
    }
    if (moved.elapsed() < SaveAtRest<int>::restMilliseconds) {
        EXPECT_EQ(shell.saved(), mp3::builtInEqualiser()) << "nothing saved while it moved";
    }
    EXPECT_TRUE(processUntil([&] { return shell.saved() == asked.back(); }));
}

TEST(EqualiserWindow, KeepsItsSizeWhateverTheValuesShown)
{
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    const QSize size = window.size();
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Home}) {
        for (int i = 0; i < 12; ++i) QTest::keyClick(&band(window, i), key);
        QTest::keyClick(&control<QSlider>(window, "preamp"), key);
        QApplication::processEvents();
        EXPECT_EQ(window.size(), size) << readout(window, "band0Readout").toStdString();
    }
    choosePreset(window, "Treble boost");
    QApplication::processEvents();
    EXPECT_EQ(window.size(), size);
}

TEST(EqualiserWindow, AChangeRightBeforeQuitOrTheWindowsEndIsKept)
{
    {
        EqualiserShell shell;
        EqualiserWindow& window = shell.show();
        QTest::keyClick(&band(window, 0), Qt::Key_Up);
        shell.window->actions().quit(false);
        EXPECT_EQ(shell.saved().gainsDb[0], 2.0f);
    }
    EqualiserShell shell;
    EqualiserWindow& window = shell.show();
    QTest::keyClick(&control<QCheckBox>(window, "on"), Qt::Key_Space);
    shell.window.reset();
    EXPECT_FALSE(shell.saved().on);
    // The switch is the "Pure" the engine has always read.
    EXPECT_EQ(shell.settings.getInt("Pure"), 1);
}

TEST(EqualiserWindow, TheFacesMenuOpensItOnceAndRaisesItAgain)
{
    EqualiserShell shell;
    MainWindow& face = shell.open();
    face.faceMenu().popup(QPoint(0, 0));
    const QList<QAction*> items = face.faceMenu().menu()->actions();
    const auto at = [&](const QString& text) {
        return std::find_if(items.begin(), items.end(), [&](QAction* a) { return a->text() == text; }) - items.begin();
    };
    ASSERT_LT(at("Equaliser..."), items.size());
    EXPECT_EQ(at("Equaliser...") + 1, at("Skins"));
    items[at("Equaliser...")]->trigger();
    face.faceMenu().menu()->hide();
    ASSERT_EQ(equalisersOf(face).size(), 1);
    EqualiserWindow& window = *equaliserOf(face);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));

    // Closed by its frame, then chosen again: the same window, shown.
    QTest::keyClick(&band(window, 1), Qt::Key_Up);
    window.close();
    EXPECT_FALSE(window.isVisible());
    face.faceMenu().popup(QPoint(0, 0));
    face.faceMenu().menu()->actions()[at("Equaliser...")]->trigger();
    face.faceMenu().menu()->hide();
    EXPECT_EQ(equalisersOf(face).size(), 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(band(window, 1).value(), 5) << "the window kept its setting";
    // Chosen while open, it stays the one window.
    face.showEqualiser();
    EXPECT_EQ(equalisersOf(face).size(), 1);
    ASSERT_TRUE(activate(window));
    // Escape closes it, and the face is still there.
    QTest::keyClick(&band(window, 4), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(face.isVisible());
    EXPECT_EQ(IniFile(shell.settingsFile).read(EqualiserWindow::placeSection, "Shown"), "0");
}

TEST(EqualiserWindow, ItsPlaceBesideTheFaceAndWhetherItWasOpenAreRemembered)
{
    EqualiserShell shell;
    MainWindow& face = shell.open();
    const QRect screen = face.screen()->availableGeometry();
    face.move(screen.topLeft() + QPoint(10, 60));
    EqualiserWindow& window = shell.show();
    ASSERT_LE(60 + face.height() + window.height(), screen.height()) << "the test's screen has room below the face";
    // At first below the face, where the playlist window, right of it, is not.
    EXPECT_EQ(window.pos(), face.pos() + QPoint(0, face.height())) << "at first below the face";
    EXPECT_EQ(window.size(), window.sizeHint()) << "the size of its controls";
    window.move(face.pos() + QPoint(15, face.height() + 20));
    EXPECT_TRUE(processUntil([&] { return !window.placeWaiting(); }));
    shell.window->actions().quit(false);
    shell.window.reset();

    // The next start opens it with the face, in its place beside it.
    shell.position.writeX(screen.left() + 30);
    shell.position.writeY(screen.top() + 100);
    MainWindow& again = shell.open();
    EqualiserWindow* reopened = equaliserOf(again);
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(reopened->isVisible());
    EXPECT_EQ(reopened->pos(), again.pos() + QPoint(15, again.height() + 20));
    reopened->close();
    shell.window.reset();
    MainWindow& closed = shell.open();
    EXPECT_EQ(equaliserOf(closed), nullptr) << "closed at the end, it stays closed";
}

TEST(EqualiserWindow, DrivesTheRealEngineWhileASongPlays)
{
    EqualiserShell shell;
    shell.device.setFlowing(true, std::chrono::milliseconds(5));
    MainWindow& face = shell.open();
    face.actions().playPath(DEMO_SONG);
    ASSERT_TRUE(shell.device.waitForWrites(4));
    EqualiserWindow& window = shell.show();
    choosePreset(window, "Voice");
    QTest::keyClick(&band(window, 6), Qt::Key_PageUp);
    QTest::keyClick(&control<QSlider>(window, "preamp"), Qt::Key_PageDown);
    const mp3::EqualiserSetting shaped = window.controls().setting();
    EXPECT_EQ(shell.player.equaliser(), shaped);
    // The song plays on with it: more of it reaches the device, and no
    // message was raised.
    const int writes = shell.device.writes();
    EXPECT_TRUE(shell.device.waitForWrites(writes + 4));
    EXPECT_TRUE(shell.player.isRunning());
    EXPECT_TRUE(shell.messages.messages().empty());
    QTest::keyClick(&control<QCheckBox>(window, "on"), Qt::Key_Space);
    EXPECT_FALSE(shell.player.equaliser().on);
    EXPECT_EQ(shell.player.equaliser().gainsDb, shaped.gainsDb);
    // A player started afresh keeps what the window set.
    face.actions().stop();
    face.actions().play();
    ASSERT_TRUE(shell.player.isRunning());
    EXPECT_FALSE(shell.player.equaliser().on);
}
