#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Playlist.h"
#include "RecordedNotices.h"
#include "TempFolder.h"

// A playlist reading lists from a folder of its own, with the texts it told.
struct ListFixture : ::testing::Test {
    TempFolder folder;
    RecordedNotices notices;
    Playlist list{notices.notice()};

    std::vector<std::string> shownTexts() const { return notices.texts(); }
};
