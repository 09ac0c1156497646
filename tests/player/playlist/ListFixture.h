#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Playlist.h"
#include "RecordingMessages.h"
#include "TempFolder.h"

// A playlist reading lists from a folder of its own, with the texts of the
// messages it showed.
struct ListFixture : ::testing::Test {
    TempFolder folder;
    RecordingMessages messages;
    Playlist list{messages};

    std::vector<std::string> shownTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : messages.messages()) texts.push_back(message.text);
        return texts;
    }
};
