#pragma once

#include <QStringList>

namespace glint {

// The places under `home` where Linux users keep Windows programs: the home
// folder itself, then the drive_c folder of each Wine prefix found in the
// usual places (~/.wine, ~/.local/share/wineprefixes/*, Steam's
// compatdata/*/pfx, Bottles' bottles/*), each once, sorted.
QStringList windowsProgramPlaces(const QString& home);

} // namespace glint
