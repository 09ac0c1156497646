#pragma once

#include <QFont>
#include <QString>

// The font of the title and the readouts: the skin's face (the default face
// when it names none), bold, and as tall as the area it is written in: the
// line, ascent and descent together, fills the area's height.
QFont skinFont(const QString& face, int height);
