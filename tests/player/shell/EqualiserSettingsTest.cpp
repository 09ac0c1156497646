// The listener's equaliser in the settings file and on the command line: a
// setting saved reads back exactly, the switch is "Pure", and whatever a
// value says that is no good reads as the built-in one for its key.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "Settings.h"
#include "TempFolder.h"

namespace {

mp3::EqualiserSetting tilted(float low, float high)
{
    mp3::EqualiserSetting setting;
    for (int band = 0; band < mp3::equaliserBands; ++band)
        setting.gainsDb[band] = low + (high - low) * static_cast<float>(band) / (mp3::equaliserBands - 1);
    return setting;
}

} // namespace

TEST(EqualiserSettings, ASettingSavedReadsBackExactlyAndKeepsTheOtherKeys)
{
    TempFolder folder;
    const std::string path = folder.write("Sonorbox.ini", "[Sonorbox]\nskin=/a/Skin.ini\nVolume=40\n");
    const IniFile file(path);
    // Nothing saved: the built-in curve, on.
    EXPECT_EQ(equalisersettings::read(file), mp3::builtInEqualiser());

    mp3::EqualiserSetting setting = tilted(-11.3f, 7.77f);
    setting.gainsDb[4] = 1.0f / 3.0f;
    setting.preampDb = -13.25f;
    setting.on = false;
    EXPECT_TRUE(equalisersettings::write(file, setting).written);
    EXPECT_EQ(equalisersettings::read(file), setting);
    EXPECT_EQ(file.read("Sonorbox", "Pure"), "1");
    EXPECT_EQ(file.read("Sonorbox", "skin"), "/a/Skin.ini");
    EXPECT_EQ(file.read("Sonorbox", "Volume"), "40");

    // The preamp left to the curve is saved empty, and on is Pure=0.
    setting.preampDb.reset();
    setting.on = true;
    EXPECT_TRUE(equalisersettings::write(file, setting).written);
    EXPECT_EQ(file.read("Equaliser", "Preamp"), "");
    EXPECT_EQ(file.read("Sonorbox", "Pure"), "0");
    EXPECT_EQ(equalisersettings::read(file), setting);
    // The shell's settings give the engine the same.
    PlayerSettings player(path);
    EXPECT_EQ(player.equaliser(), setting);
}

TEST(EqualiserSettings, BadValuesReadAsTheBuiltInValueForTheirKey)
{
    const mp3::EqualiserSetting builtIn = mp3::builtInEqualiser();
    const mp3::EqualiserSetting read = equalisersettings::fromText("[sonorbox]\nPure=7\n[EQUALISER]\n"
                                                                   "Gain1=loud\nGain2=12.5\nGain3=-12\nGain4= +3.5 \n"
                                                                   "Gain5=nan\nGain6=inf\nGain7=1e3\nGain8=\n"
                                                                   "Gain9=2,5\nGain10=-0\nGain11=--1\nPreamp=-30\n");
    EXPECT_FALSE(read.on); // Pure not 0 is off, as it always was
    EXPECT_EQ(read.gainsDb[0], builtIn.gainsDb[0]);
    EXPECT_EQ(read.gainsDb[1], builtIn.gainsDb[1]);
    EXPECT_EQ(read.gainsDb[2], -12.0f);
    EXPECT_EQ(read.gainsDb[3], 3.5f);
    for (int band : {4, 5, 6, 7, 8, 10}) EXPECT_EQ(read.gainsDb[band], builtIn.gainsDb[band]) << "Gain" << band + 1;
    EXPECT_EQ(read.gainsDb[9], 0.0f);
    EXPECT_EQ(read.gainsDb[11], builtIn.gainsDb[11]);
    EXPECT_FALSE(read.preampDb.has_value());
    EXPECT_EQ(equalisersettings::fromText("[Equaliser]\nPreamp=-24\n").preampDb, -24.0f);
    EXPECT_TRUE(equalisersettings::fromText("[Sonorbox]\nPure=x\n").on);
    EXPECT_EQ(equalisersettings::fromText(""), builtIn);
}

TEST(EqualiserSettings, TheCommandLinesListNeedsTwelveGainsAndMayNameAPreamp)
{
    std::string why;
    auto list = equalisersettings::fromList("0,1,2,3,4,5,6,7,8,9,10,11", why);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->gainsDb[11], 11.0f);
    EXPECT_FALSE(list->preampDb);
    EXPECT_TRUE(list->on);
    list = equalisersettings::fromList(" -12, 0,0,0,0,0,0,0,0,0,0, 12 , -6.5", why);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->preampDb, -6.5f);
    EXPECT_TRUE(equalisersettings::fromList("0,0,0,0,0,0,0,0,0,0,0,0,auto", why));

    struct Bad {
        const char* list;
        const char* says;
    };
    for (const Bad& bad : {Bad{"", "gain 1"}, Bad{"0,0,0", "twelve gains are needed, 3 given"},
                           Bad{"0,0,0,0,0,0,0,0,0,0,0,13", "gain 12 (\"13\")"},
                           Bad{"0,0,0,0,0,0,0,0,0,0,0,0,loud", "the preamp (\"loud\")"},
                           Bad{"0,0,0,0,0,0,0,0,0,0,0,0,0,0", "more than twelve"}}) {
        why.clear();
        EXPECT_FALSE(equalisersettings::fromList(bad.list, why)) << bad.list;
        EXPECT_NE(why.find(bad.says), std::string::npos) << bad.list << ": " << why;
    }
}

TEST(EqualiserSettings, DecibelTextReadsBackAsTheSameFloat)
{
    for (float db : {0.0f, -0.0f, 1.6f, -11.999999f, 12.0f, 1.0f / 3.0f, 6.0206f})
        EXPECT_EQ(equalisersettings::readDecibels(equalisersettings::decibelText(db)), db);
    EXPECT_FALSE(equalisersettings::readDecibels("1.5dB"));
    EXPECT_FALSE(equalisersettings::readDecibels("+"));
}
