#pragma once

#include <QFont>

namespace glint {

// "MS Sans Serif" where it is installed, else the platform's closest sans face
// at the same point size.
QFont sansSerif(double points, bool bold);

// "Comic Sans MS" where it is installed, else the closest installed face.
QFont comicSans(double points, bool bold);

} // namespace glint
