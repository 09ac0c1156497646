#pragma once

#include "HelpSource.h"

#include <QString>

namespace glint {

// The help file's name as the program asks for it; the viewer finds it in the
// help folder (beside the program, or the installed data folder).
inline const QString helpFileName = QStringLiteral("glintgat.hlp");

// The help file's folder for a program in programFolder: that folder when the
// help file lies there (the build folder, a portable copy), otherwise the
// installed tree's data folder, found from the program's folder so an
// installed tree works under any prefix and after it is moved.
QString helpFolderFor(const QString& programFolder);

// Reads the help source at `path`. A file that cannot be read gives no topics
// and an error naming it.
help::HelpSource readHelpFile(const QString& path);

} // namespace glint
