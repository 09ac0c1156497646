#pragma once

#include <optional>
#include <string>

// Where a running player listens for a second start: a folder in which only
// this user can make files, so that no other user can take the running
// player's place and read what is handed over.
namespace handofffolder {

// What keeps a folder from being private; nothing when it is a folder (not a
// link to one) of the user's own that no one else may enter or write.
std::optional<std::string> faultOf(const std::string& folder, unsigned uid);

// The folder for the hand-off: the user's runtime folder (XDG_RUNTIME_DIR)
// when it is private, else "sonorbox-<uid>" in the temporary folder, made
// 0700 when missing. Nothing, with why, when neither is private.
std::optional<std::string> choose(const std::string& runtimeFolder, const std::string& temporaryFolder, unsigned uid,
                                  std::string& why);

} // namespace handofffolder
