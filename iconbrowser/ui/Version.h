#pragma once

namespace glint {

inline constexpr int versionMajor = 1;
inline constexpr int versionMinor = 1;

} // namespace glint
