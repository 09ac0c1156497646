#pragma once

#include <QString>
#include <string>

// What names a song wherever the player shows it without its tags (the face's
// title line, the desktop's media controls, the playlist): its file's name
// without the extension.
QString titleLineOf(const std::string& path);
