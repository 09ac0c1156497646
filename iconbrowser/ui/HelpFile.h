#pragma once

#include "HelpSource.h"

#include <QString>

namespace glint {

// The help file's name as the program asks for it; the viewer finds it in the
// help folder (beside the program, or the installed data folder).
inline const QString helpFileName = QStringLiteral("glintgat.hlp");

// Reads the help source at `path`. A file that cannot be read gives no topics
// and an error naming it.
help::HelpSource readHelpFile(const QString& path);

} // namespace glint
