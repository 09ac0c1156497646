// The Open button's real dialog, offscreen: which files each of its filters
// lists, and the texts it shows.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>

#include "ShellTestSupport.h"

namespace {

// The names the dialog's file list shows once it holds count rows (or after
// the time limit, with what it holds then), sorted, each followed by '|'.
std::string listedNames(QFileDialog& dialog, int count)
{
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    EXPECT_NE(view, nullptr);
    if (!view) return std::string();
    auto rows = [&] { return view->model()->rowCount(view->rootIndex()); };
    processUntil([&] { return rows() >= count; }, std::chrono::seconds(5));
    QStringList names;
    for (int row = 0; row < rows(); ++row) names += view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return (names.join('|') + '|').toStdString();
}

struct SongFolder {
    TempFolder folder;
    SongFolder()
    {
        for (const char* name :
             {"a.mp3", "B.MP3", "c.Mp3", "list.M3U", "u.m3u8", "v.M3u8", "notes.txt", "song.mp3.bak", "no extension"})
            folder.write(name, "x");
        std::filesystem::create_directory(folder.file("sub"));
    }
};

} // namespace

TEST(OpenDialog, ItsFirstFilterListsSongsAndListsInAnyCase)
{
    SongFolder songs;
    const std::string wanted = "B.MP3|a.mp3|c.Mp3|list.M3U|sub|u.m3u8|v.M3u8|";
    for (const bool exactCase : {false, true}) {
        // A dialog that matches names with their case, as the desktop's own
        // dialogs may, lists the same files.
        auto dialog = QtFileDialogs::songDialog(nullptr, songs.folder.file("a.mp3"));
        if (exactCase) dialog->setFilter(dialog->filter() | QDir::CaseSensitive);
        dialog->show();
        EXPECT_EQ(listedNames(*dialog, 7), wanted) << (exactCase ? "matching case" : "any case");
    }
}

TEST(OpenDialog, ItsSecondFilterListsEveryFile)
{
    SongFolder songs;
    auto dialog = QtFileDialogs::songDialog(nullptr, songs.folder.file("a.mp3"));
    dialog->setFilter(dialog->filter() | QDir::CaseSensitive);
    dialog->selectNameFilter(dialog->nameFilters().at(1));
    dialog->show();
    EXPECT_EQ(listedNames(*dialog, 10),
              "B.MP3|a.mp3|c.Mp3|list.M3U|no extension|notes.txt|song.mp3.bak|sub|u.m3u8|v.M3u8|");
}

TEST(OpenDialog, ShowsTheFiltersTextsAndOpensInTheCurrentSongsFolder)
{
    SongFolder songs;
    auto dialog = QtFileDialogs::songDialog(nullptr, songs.folder.file("c.Mp3"));
    dialog->show();
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), "MP3 or Playlist (*.mp3;*.m3u)");
    EXPECT_EQ(types->itemText(1), "All Files (*.*)");
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(),
              QDir(QString::fromStdString(songs.folder.path())).canonicalPath());
    // Several songs and lists at once; the toolkit's own title to open, as
    // it always was, and its own when it adds.
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_NE(dialog->windowTitle(), "Add Files");
    EXPECT_EQ(QtFileDialogs::songDialog(nullptr, std::string(), FileDialogs::Purpose::add)->windowTitle(), "Add Files");
}

TEST(SkinChooser, KeepsItsTitleAndFilterAndListsIniFilesInAnyCase)
{
    TempFolder skins;
    for (const char* name : {"Skin.ini", "OTHER.INI", "MainUp.bmp"}) skins.write(name, "x");
    auto dialog = QtFileDialogs::skinDialog(skins.path());
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), "Please select a SKIN.INI file");
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), "Skin Settings (*.ini)");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(QString::fromStdString(skins.path())).canonicalPath());
    EXPECT_EQ(listedNames(*dialog, 2), "OTHER.INI|Skin.ini|");
}
