#pragma once

#include <QString>

namespace glint {

// Where the about window's two links lead.
inline const QString authorWebPage = QStringLiteral("https://glint-gatherer.example.org/");
inline const QString authorMail = QStringLiteral("mailto:author@glint-gatherer.example.org");

} // namespace glint
