#pragma once

// The texts that the engine shows as they stand, each written here once: the
// player thread's, the wave output's, and the caption of the boxes that tell
// what a list load could not do.
namespace playertext {

inline constexpr const char* lowQualityCaption = "Low Quality MPEG Audio Detected";
inline constexpr const char* lowQuality = "Sonorbox has detected a low quality MPEG Audio file.\n"
                                          "Only CD quality sound is supported at the current time.\n"
                                          "The minimum recording requirements for Sonorbox are:\n"
                                          "\n"
                                          "MPEG 1.0 Layer 3 ( MP1 and MP2 are not supported )\n"
                                          "STEREO ( no MONO recordings are accepted )\n"
                                          "44100 hz ( this is CD quality )\n"
                                          "\n"
                                          "Please select a higher quality recording.\n";
inline constexpr const char* errorCaption = "Application Error";
inline constexpr const char* couldNotPlayAnySong = "Could not play any song of: ";
inline constexpr const char* cannotOpenDevice = "Cannot open audio device. It may be in use.";
inline constexpr const char* exceptionCaption = "Application Exception";
inline constexpr const char* unhandledException = "Unhandled exception occured";
inline constexpr const char* noAudioDevices = "No Audio Devices Found";
// The device's own words follow these captions.
inline constexpr const char* deviceOpenCaption = "waveOutOpen";
inline constexpr const char* deviceCloseCaption = "waveOutClose";
inline constexpr const char* unknownDeviceError = "Unknown error";

} // namespace playertext
