#pragma once

#include <optional>
#include <string>

class QMimeData;

// The file a drop on the face names: the first of the dropped local files
// (a file manager's file URLs), or a path or file URL dropped as text. Only
// a regular file counts, as Open offers only files.
std::optional<std::string> droppedPath(const QMimeData& data);
