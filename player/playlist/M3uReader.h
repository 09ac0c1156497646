#pragma once

#include <string>
#include <vector>

class UserMessages;

// Reads M3U lists into song paths: one path per line, relative lines joined
// to the list's folder, lines naming another list read in its place. Lines are
// kept whole, however long. A list is never read again while it is being read,
// and lists nest at most maxDepth deep, so a list that names itself ends.
class M3uReader {
public:
    static constexpr int maxDepth = 16;

    explicit M3uReader(UserMessages& messages) : messages_(messages) {}

    // Adds the entries of the list at path; false when the list cannot be
    // read (missing, unreadable, already being read, or nested too deep).
    bool read(const std::string& path, std::vector<std::string>& entries);

    // The reaction of the player to a list that could not be read.
    static void reportUnreadable(UserMessages& messages, const std::string& path);

private:
    void addLine(const std::string& folder, std::string line, std::vector<std::string>& entries);

    UserMessages& messages_;
    std::vector<std::string> openLists_;
};

bool isListPath(const std::string& path);
