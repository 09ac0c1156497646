#pragma once

#include <optional>
#include <string>
#include <string_view>

// The path of a local file written as a "file:" URI (RFC 8089), as players
// and file managers write list lines: "file:///music/a%20b.mp3" names
// "/music/a b.mp3". The host may be empty or "localhost"; on Windows a
// drive ("file:///C:/a.mp3") or a server ("file://server/share/a.mp3") is
// named too. Nothing for text that is no such URI, names another machine,
// or holds a broken or NUL escape.
std::optional<std::string> pathOfFileUri(std::string_view text);
