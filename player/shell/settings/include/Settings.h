#pragma once

// The settings room: the player's settings file, "Sonorbox.ini", and any INI
// file read the same way (a skin's "Skin.ini"). It holds the INI rules on a
// file and on text (IniFile, initext, IniSections), one section of a file
// (SettingsSection), the player's own sections (PlayerSettings,
// WindowPosition) and where the file lives (settingslocation). It depends on
// the playlist's path texts and on the engine's SettingsReader, which
// PlayerSettings implements, and on nothing else of the shell; the skin and
// the app rooms build on it. All of it but settingslocation is standard
// library only (shell_settings_core), so the sanitizer and fuzz builds reach
// it.
//
// How it fails: a read never does. A file, section or key that is missing or
// cannot be read reads as nothing, and each getter says what it gives then.
// A save that fails leaves the file as it was and returns an
// IniFile::Written with the text to tell; a SettingsSection hands that to
// its SettingsNotices, which tells each kind of it once a run. No exception
// leaves the room.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Mp3Decoder.h"
#include "PlaybackRequests.h"
#include "SettingsReader.h"

// The names of the player's files, each written once.
namespace shelltext {

inline constexpr const char* settingsFileName = "Sonorbox.ini";
inline constexpr const char* skinFileName = "Skin.ini";

} // namespace shelltext

// Reads a decimal integer at text[at] as the C library's number reading does:
// white space first, then an optional sign, then numerals up to the first
// character that is not one. Advances at past what it read. No numerals: no
// value, and at is left where it was. Values beyond the 32-bit range give its
// nearest end.
std::optional<std::int32_t> readDecimal(std::string_view text, std::size_t& at);

// An INI text split once into its sections and keys, for a reader that looks
// up many keys of one reading (a skin's "Skin.ini"): every look-up answers as
// initext::lookup on the same text does.
class IniSections {
public:
    explicit IniSections(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys; // in the order of the file
    };
    std::vector<Section> sections_;
};

// An INI text file read and written the way the player's settings and skins
// have always been: "[Section]" lines, then "key=value" lines. Section and key
// names match without regard to case; a missing file, section or key reads as
// nothing; a write creates what is missing and keeps every other line as it
// was. Each read looks at the file as it is now, so a change made by another
// program is seen.
//
// A write goes to a temporary file beside the file that is then renamed over
// it, so the file is never left half-written; a file that is a symbolic link
// is written at the link's target, keeping the link. Writes of all processes
// take turns under a lock on "<file>.lock" beside it, each reading the file
// anew under the lock, so no process's key is lost to another's save.
//
// A file larger than maxReadBytes (no settings file grows so large by itself)
// is read only up to its last whole line within headroomBytes less, so that
// what is saved of it has room to change without passing the bound again.
// Its first write keeps its whole former content aside as "<file>.large" (a
// second name of the same file, no copy) and writes the part that was read,
// changed.
class IniFile {
public:
    static constexpr std::size_t maxReadBytes = std::size_t{1} << 20;
    static constexpr std::size_t headroomBytes = std::size_t{64} << 10;

    // What a write did, for the user: a problem to tell, with its text
    // naming the file.
    enum class Notice { none, notSaved, keptAside };
    struct Written {
        bool written = false;
        Notice notice = Notice::none;
        std::string text;
    };

    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::optional<std::string> read(std::string_view section, std::string_view key) const;
    // The whole file as it is now, read once; no sections when it cannot be
    // read.
    IniSections readSections() const;

    // Not written, and nothing to tell, when the value holds a line break (it
    // would break the file's lines apart); not written, with a notice, when
    // the file cannot be written. The old file then stays as it was.
    Written save(std::string_view section, std::string_view key, std::string_view value) const;
    // Several keys in one write: all of them or none.
    struct Change {
        std::string_view section;
        std::string_view key;
        std::string_view value;
    };
    Written save(const std::vector<Change>& changes) const;
    bool write(std::string_view section, std::string_view key, std::string_view value) const
    {
        return save(section, key, value).written;
    }

private:
    std::string path_;
};

// The same rules on text held in memory.
namespace initext {

// The value of the first key of that name in the first section of that name:
// the text after the equals sign without the blanks around it.
std::optional<std::string> lookup(std::string_view text, std::string_view section, std::string_view key);

// The text with the key set to value: an existing line is replaced, a new key
// goes after the last key of its section, a new section at the end. New lines
// end the way the text's first line does.
std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

} // namespace initext

// Tells the user what a save of the settings file could not do, or did
// besides saving: once a run for each kind, however often the settings are
// saved (each notch of the wheel saves the volume).
class SettingsNotices {
public:
    explicit SettingsNotices(std::function<void(const std::string& text)> tell) : tell_(std::move(tell)) {}

    void note(const IniFile::Written& written);

private:
    std::function<void(const std::string&)> tell_;
    bool toldNotSaved_ = false;
    bool toldKeptAside_ = false;
};

// One section of an INI settings file: the player's own settings file, or a
// skin's "Skin.ini". Values are read whole, however long.
class SettingsSection {
public:
    SettingsSection(std::string filePath, std::string sectionName)
        : file_(std::move(filePath)), section_(std::move(sectionName))
    {
    }

    // The empty string when the file, the section or the key is missing.
    std::string getString(const std::string& key) const;
    // A failed write leaves the old value; it is told to the notices, when
    // there are any.
    void putString(const std::string& key, const std::string& value) const;

    // The value as a decimal integer: leading white space and a sign are allowed,
    // reading stops at the first character that is not a numeral, and a text
    // without numerals (or a missing key) gives 0. Values beyond the 32-bit
    // range give its nearest end.
    std::int32_t getInt(const std::string& key) const;
    void putInt(const std::string& key, std::int32_t value) const;

    const std::string& filePath() const { return file_.path(); }
    // What the saves could not do goes there; it outlives this section.
    void setNotices(SettingsNotices* notices) { notices_ = notices; }
    const std::string& sectionName() const { return section_; }

protected:
    // Tells the notices what a save of this file did, when there are any.
    void note(const IniFile::Written& written) const;

private:
    IniFile file_;
    std::string section_;
    SettingsNotices* notices_ = nullptr;
};

// The "Sonorbox" section of the player's settings file: the chosen skin, the
// last opened song or list, the listener's volume, repeat and shuffle, and
// "Pure", which the engine reads.
class PlayerSettings : public SettingsSection, public SettingsReader {
public:
    explicit PlayerSettings(std::string filePath) : SettingsSection(std::move(filePath), "Sonorbox") {}

    std::string getSkin() const { return getString("skin"); }
    void putSkin(const std::string& value) const { putString("skin", value); }
    // The "skin" setting as a path to open: a relative one is read from the
    // program's folder, so a portable copy moved elsewhere keeps its skin.
    std::string skinFile() const;
    void setProgramDirectory(std::string folder) { programDirectory_ = std::move(folder); }
    // "SkinBeforeChoosing": the skin that Quit's Yes emptied "skin" of, kept
    // for a start whose chooser is cancelled.
    std::string getSkinBeforeChoosing() const { return getString("SkinBeforeChoosing"); }
    void putSkinBeforeChoosing(const std::string& value) const { putString("SkinBeforeChoosing", value); }
    // "OnTop": whether the face stays above other windows; a missing or
    // empty value reads as on top, 0 as not.
    bool getOnTop() const { return getString("OnTop").empty() || SettingsSection::getInt("OnTop") != 0; }
    void putOnTop(bool onTop) const { putInt("OnTop", onTop ? 1 : 0); }
    std::string getSong() const { return getString("song"); }
    void putSong(const std::string& value) const { putString("song", value); }

    // "Volume": 0 to 100; a missing value, or one that is not a whole number
    // in that range, reads as 100.
    int getVolume() const;
    void putVolume(int value) const { putInt("Volume", value); }

    // The skin file's path up to and including its last separator: the
    // folder in which the skin's bitmaps lie. Empty when the path has no
    // separator.
    std::string getSkinDirectory() const;

    // "Repeat": List, Song or Off, in any letter case; a missing value or
    // any other reads as List.
    Repeat getRepeat() const;
    void putRepeat(Repeat repeat) const;
    // "Shuffle": 1 on, 0 off; a missing value or any other reads as off.
    bool getShuffle() const { return getString("Shuffle") == "1"; }
    void putShuffle(bool shuffle) const { putInt("Shuffle", shuffle ? 1 : 0); }

    int getInt(const std::string& key) override { return SettingsSection::getInt(key); }
    // The listener's equaliser as saved (equalisersettings::read).
    mp3::EqualiserSetting equaliser() override;
    // Saves it whole, in one write (equalisersettings::write).
    void putEqualiser(const mp3::EqualiserSetting& setting) const;

private:
    std::string programDirectory_;
};

// The listener's equaliser in the player's settings file, for the shell and
// sonorbox-decode alike. Its switch is "Pure" in the "Sonorbox" section, as
// the engine has always read it (0, or missing, is on); its curve is the
// "Equaliser" section: Gain1 to Gain12, the gains in dB at the break lines
// from the lowest up, and Preamp in dB, empty for the headroom the curve
// needs. A missing section reads as the built-in curve; a key that is
// missing, no number, or out of range (-12 to +12 dB for a gain, -24 to +12
// for the preamp) reads as the built-in value for it.
namespace equalisersettings {

inline constexpr const char* sectionName = "Equaliser";

mp3::EqualiserSetting read(const IniFile& file);
// The same rules on the text of a whole settings file.
mp3::EqualiserSetting fromText(std::string_view text);
// Every key in one write, so no reader meets half a curve.
IniFile::Written write(const IniFile& file, const mp3::EqualiserSetting& setting);

// A decibel figure as the file and the command line write it: a decimal
// number with blanks around it allowed; no value for anything else,
// infinities and NaN included.
std::optional<float> readDecibels(std::string_view text);
// A figure as the file keeps it: the shortest text that reads back as the
// same float.
std::string decibelText(float db);

// A curve given on a command line: twelve gains in dB and, optionally, a
// preamp in dB ("auto" or nothing for the headroom), separated by commas;
// the switch is on. On failure, no value, and why in error.
std::optional<mp3::EqualiserSetting> fromList(std::string_view text, std::string& error);

} // namespace equalisersettings

// The "Position" section of the player's settings file: the screen place of
// the main window's top-left corner, saved on quitting.
class WindowPosition : public SettingsSection {
public:
    explicit WindowPosition(std::string filePath) : SettingsSection(std::move(filePath), "Position") {}

    std::int32_t readX() const { return getInt("x"); }
    std::int32_t readY() const { return getInt("y"); }
    void writeX(std::int32_t value) const { putInt("x", value); }
    void writeY(std::int32_t value) const { putInt("y", value); }
};

// A section of the player's settings file for a window of the player's tools
// that follows the face (the playlist, the equaliser): where it lies as an
// offset of its top-left corner from the face's, its size, and whether it is
// shown. A missing offset reads as none known (the window then takes a place
// beside the face), a missing size as none, and a missing "Shown" as hidden.
class ToolWindowPlace : public SettingsSection {
public:
    ToolWindowPlace(std::string filePath, std::string sectionName)
        : SettingsSection(std::move(filePath), std::move(sectionName))
    {
    }

    struct Place {
        std::int32_t x = 0; // from the face's left edge
        std::int32_t y = 0; // from the face's top edge
        std::int32_t width = 0;
        std::int32_t height = 0;
    };
    std::optional<Place> readPlace() const;
    void writePlace(const Place& place) const;
    bool readShown() const { return getInt("Shown") != 0; }
    void writeShown(bool shown) const { putInt("Shown", shown ? 1 : 0); }
};

// Where the player keeps "Sonorbox.ini". A copy with a writable settings file
// beside the program keeps it there (the build folder, a portable copy). Any
// other copy, such as one installed under /usr, keeps it in the user's
// configuration folder, where the first start writes it with "skin" naming
// the installed default skin, so that start needs no chooser. The rule looks
// at the file, not at whether the folder is writable: root may write /usr/bin.
namespace settingslocation {

// The file the player reads and writes. userConfigFolder is the player's own
// folder under the user's configuration folder; defaultSkin the "Skin.ini"
// to seed a new file with (left out when it does not exist). When the user's
// folder cannot be made, says so on standard error and still returns the
// path: reads then give the defaults and writes are lost, as for any file
// that cannot be written.
std::string settingsFileFor(const std::string& programDirectory, const std::string& userConfigFolder,
                            const std::string& defaultSkin);

// $XDG_CONFIG_HOME/sonorbox (~/.config/sonorbox when unset).
std::string userConfigFolder();

// The default skin's "Skin.ini" of this copy: beside the program (the build
// folder, a portable copy) or in the installed tree's data folder, found from
// the program's own folder, so an installed tree may be moved as a whole.
std::string defaultSkinFor(const std::string& programDirectory);

} // namespace settingslocation
