#pragma once

namespace glintextract {

// The freedesktop thumbnailer: draws the icon that INPUT shows on Windows
// (its first icon: the first group in resource directory order, first
// language), from its smallest image at least SIZE (else its largest),
// shrunk to fit SIZE with its alpha, as a PNG at OUTPUT whatever its name
// (file managers name their temporary files as they like). Returns the exit status.
int writeThumbnail(const char* sizeText, const char* input, const char* output);

} // namespace glintextract
