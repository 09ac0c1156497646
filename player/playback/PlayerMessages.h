#pragma once

// The texts that the player thread shows as they stand.
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

} // namespace playertext
