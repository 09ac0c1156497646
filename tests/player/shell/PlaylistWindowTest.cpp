// The playlist window on the real engine's list, offscreen: the rows it
// shows and fills in from a thread of their own, the heard entry, the keys,
// moves and drops it asks for (under a filter too), the filter, Save List...,
// and its end while songs are being read. Its place beside the face is
// FaceToolWindow's, tested there; the face's menu item and key are at the
// end.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include <sys/stat.h>

#include "FaceMenu.h"
#include "Id3Tag.h"
#include "M3uWriter.h"
#include "PathText.h"
#include "Playlist.h"
#include "PlaylistView.h"
#include "PlaylistWindow.h"
#include "ShellTestSupport.h"

namespace {

using Kind = RecordingRequests::Kind;

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A song's facts as a test sets them, read on the reader's thread, which it
// notes.
struct ScriptedReading {
    std::mutex mutex;
    std::vector<std::string> readPaths;
    std::vector<std::thread::id> threads;

    SongFactsReader::Read read()
    {
        return [this](const std::string& path, const FactsStopCheck&) {
            std::lock_guard lock(mutex);
            readPaths.push_back(path);
            threads.push_back(std::this_thread::get_id());
            return SongFacts{"Title of " + pathtext::fileNameOf(path), "Artist " + pathtext::fileNameOf(path), 61};
        };
    }
    std::size_t count()
    {
        std::lock_guard lock(mutex);
        return readPaths.size();
    }
};

// A playlist window of its own over the engine (nothing plays), beside a
// face of its own.
struct ListWindowFixture {
    TempFolder folder;
    std::string settingsFile = folder.file("Sonorbox.ini");
    PlayerSettings settings{settingsFile};
    TestAudioDevice device;
    RecordingMessages messages;
    TestFileDialogs dialogs;
    struct ListReadouts : ShellReadouts {
        PlaylistWindow* window = nullptr;
        void showListChanged(std::uint64_t) override
        {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (window) window->listChanged();
                },
                Qt::QueuedConnection);
        }
        void showAudible(const Audible&) override
        {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (window) window->heardChanged();
                },
                Qt::QueuedConnection);
        }
    } readouts;
    Player player{device, readouts, messages, settings};
    RecordingRequests requests{player};
    QWidget face{nullptr, Qt::FramelessWindowHint};
    std::unique_ptr<PlaylistWindow> window;

    explicit ListWindowFixture(SongFactsReader::Read read = readSongFacts)
    {
        face.setGeometry(50, 50, 200, 80);
        face.show();
        window = std::make_unique<PlaylistWindow>(face, requests, ToolWindowPlace(settingsFile, "Playlist"), messages,
                                                  dialogs, std::move(read));
        readouts.window = window.get();
    }
    ~ListWindowFixture()
    {
        player.stopPlayback();
        readouts.window = nullptr;
        window.reset();
    }

    // The list of paths in the engine, shown.
    PlaylistModel& show(const std::vector<std::string>& paths)
    {
        player.addPaths(paths);
        window->setOpen(true);
        EXPECT_TRUE(processUntil([&] { return window->model().rowCount() == static_cast<int>(paths.size()); }));
        return window->model();
    }
    QString shown(int row, int column) { return window->model().index(row, column).data().toString(); }
    // The requests of a kind asked so far.
    std::vector<RecordingRequests::Request> asked(Kind kind) const
    {
        std::vector<RecordingRequests::Request> found;
        for (const auto& request : requests.asked())
            if (request.kind == kind) found.push_back(request);
        return found;
    }
    void select(const std::vector<int>& shownRows)
    {
        PlaylistView& view = window->view();
        view.selectionModel()->setCurrentIndex(view.model()->index(shownRows.front(), 0),
                                               QItemSelectionModel::NoUpdate);
        view.clearSelection();
        for (const int row : shownRows)
            view.selectionModel()->select(view.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void filterBy(const QString& text)
    {
        window->filterField().setText(text);
        EXPECT_TRUE(processUntil([&] { return window->filterField().text() == text; }));
    }
};

std::vector<std::string> numberedPaths(const TempFolder& folder, int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.push_back(folder.file("song " + std::to_string(i) + ".mp3"));
    return paths;
}

// The window on a list of songs named "song 0.mp3" on, whose facts the test
// scripts, shown with every song read.
struct NumberedList {
    ScriptedReading scripted;
    ListWindowFixture fixture{scripted.read()};
    TempFolder songs;
    std::vector<std::string> paths;
    PlaylistModel& model;
    PlaylistView& view;

    explicit NumberedList(int count)
        : paths(numberedPaths(songs, count)), model(fixture.show(paths)), view(fixture.window->view())
    {
        EXPECT_TRUE(processUntil([&] { return model.isRead(paths.back()); }));
    }
};

} // namespace

TEST(PlaylistWindow, ShowsNumberTitleArtistAndLengthFromTheTagsElseTheTitleLinesRule)
{
    ListWindowFixture fixture;
    const std::string tagged = fixture.folder.write(
        "tagged.mp3", tagbytes::id3v2Tag(3, tagbytes::id3Frame(3, "TIT2", tagbytes::textData(0, "Blue Song")) +
                                                tagbytes::id3Frame(3, "TPE1", tagbytes::textData(0, "The Band"))) +
                          fileBytes(testSong("stereo-128.mp3")));
    const std::string plain = testSong("varied-v2-notag.mp3");
    PlaylistModel& model = fixture.show({tagged, plain, fixture.folder.file("gone.mp3")});
    EXPECT_TRUE(processUntil([&] { return !fixture.shown(1, PlaylistModel::lengthColumn).isEmpty(); }));
    EXPECT_TRUE(processUntil([&] { return model.isRead(fixture.folder.file("gone.mp3")); }));
    EXPECT_EQ(fixture.shown(0, PlaylistModel::numberColumn), "1");
    EXPECT_EQ(fixture.shown(0, PlaylistModel::titleColumn), "Blue Song");
    EXPECT_EQ(fixture.shown(0, PlaylistModel::artistColumn), "The Band");
    EXPECT_EQ(fixture.shown(0, PlaylistModel::lengthColumn), "0:01");
    // Without a header frame its length is counted, not guessed from its
    // first frame's bitrate.
    EXPECT_EQ(fixture.shown(1, PlaylistModel::lengthColumn), "0:02");
    EXPECT_EQ(fixture.shown(1, PlaylistModel::numberColumn), "2");
    EXPECT_EQ(fixture.shown(1, PlaylistModel::titleColumn), "varied-v2-notag");
    EXPECT_EQ(fixture.shown(1, PlaylistModel::artistColumn), "");
    // A file that is not there keeps its name and has no length.
    EXPECT_EQ(fixture.shown(2, PlaylistModel::titleColumn), "gone");
    EXPECT_EQ(fixture.shown(2, PlaylistModel::lengthColumn), "");
    EXPECT_EQ(model.headerData(PlaylistModel::titleColumn, Qt::Horizontal).toString(), "Title");
}

TEST(PlaylistWindow, LengthsReadAsMinutesAndHours)
{
    EXPECT_EQ(lengthText(0), "0:00");
    EXPECT_EQ(lengthText(59), "0:59");
    EXPECT_EQ(lengthText(61), "1:01");
    EXPECT_EQ(lengthText(3599), "59:59");
    EXPECT_EQ(lengthText(3600), "1:00:00");
    EXPECT_EQ(lengthText(36061), "10:01:01");
    EXPECT_EQ(lengthText(-1), "");
}

TEST(PlaylistWindow, ReadsOffTheWindowThreadTheRowsInViewFirstAndEachSongOnce)
{
    // The reader's first song waits until the test lets it go, so what
    // follows it shows the order.
    std::mutex gateMutex;
    std::condition_variable gate;
    bool open = false;
    ScriptedReading scripted;
    auto read = [&, inner = scripted.read()](const std::string& path, const FactsStopCheck& stopped) {
        std::unique_lock lock(gateMutex);
        gate.wait(lock, [&] { return open; });
        return inner(path, stopped);
    };
    ListWindowFixture fixture(read);
    TempFolder songs;
    std::vector<std::string> paths = numberedPaths(songs, 3000);
    // One path twice: read once.
    paths.push_back(paths[5]);
    PlaylistModel& model = fixture.show(paths);
    PlaylistView& view = fixture.window->view();
    view.scrollTo(view.model()->index(2000, 0), QAbstractItemView::PositionAtTop);
    const std::vector<int> inView = view.rowsInView();
    ASSERT_FALSE(inView.empty());
    EXPECT_EQ(inView.front(), 2000);
    {
        std::lock_guard lock(gateMutex);
        open = true;
    }
    gate.notify_all();
    EXPECT_TRUE(processUntil([&] { return !fixture.window->reader().busy() && model.isRead(paths.back()); }));
    const std::thread::id windowThread = std::this_thread::get_id();
    std::lock_guard lock(scripted.mutex);
    EXPECT_EQ(scripted.readPaths.size(), 3000u);
    for (const std::thread::id thread : scripted.threads) EXPECT_NE(thread, windowThread);
    // After the one that waited, the rows in view.
    for (std::size_t i = 0; i < inView.size(); ++i)
        EXPECT_EQ(scripted.readPaths[i + 1], paths[static_cast<std::size_t>(inView[i])]) << i;
    EXPECT_EQ(fixture.shown(2000, PlaylistModel::titleColumn), "Title of song 2000.mp3");
    EXPECT_EQ(fixture.shown(3000, PlaylistModel::titleColumn), "Title of song 5.mp3");
    EXPECT_EQ(fixture.shown(2000, PlaylistModel::lengthColumn), "1:01");
}

TEST(PlaylistWindow, KeepsWhatWasReadWhenTheListChangesAndReadsNothingWhileHidden)
{
    ScriptedReading scripted;
    ListWindowFixture fixture(scripted.read());
    TempFolder songs;
    const std::vector<std::string> paths = numberedPaths(songs, 4);
    PlaylistModel& model = fixture.show(paths);
    EXPECT_TRUE(processUntil([&] { return scripted.count() == 4 && model.isRead(paths[3]); }));
    fixture.player.addPaths({paths[0], songs.file("new.mp3")});
    EXPECT_TRUE(processUntil([&] { return model.rowCount() == 6 && model.isRead(songs.file("new.mp3")); }));
    EXPECT_EQ(scripted.count(), 5u);
    EXPECT_EQ(fixture.shown(4, PlaylistModel::artistColumn), "Artist song 0.mp3");

    fixture.window->setOpen(false);
    fixture.player.addPaths({songs.file("while hidden.mp3")});
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 6);
    fixture.window->setOpen(true);
    EXPECT_TRUE(processUntil([&] { return model.isRead(songs.file("while hidden.mp3")); }));
    EXPECT_EQ(model.rowCount(), 7);
}

TEST(PlaylistWindow, AListHiddenWhileItIsReadIsReadOnOnceShownAgain)
{
    auto slow = [](const std::string& path, const FactsStopCheck&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return SongFacts{pathtext::fileNameOf(path), "", 1};
    };
    ListWindowFixture fixture(slow);
    TempFolder songs;
    const std::vector<std::string> paths = numberedPaths(songs, 300);
    PlaylistModel& model = fixture.show(paths);
    fixture.window->setOpen(false);
    EXPECT_TRUE(processUntil([&] { return !fixture.window->reader().busy(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.unread().empty()) << "the list was read whole before it was hidden";
    fixture.window->setOpen(true);
    EXPECT_TRUE(processUntil([&] { return model.unread().empty(); }));
}

TEST(PlaylistWindow, MarksTheHeardEntryAndKeepsItInView)
{
    ListWindowFixture fixture;
    std::vector<std::string> paths(300, testSong("stereo-128.mp3"));
    paths.push_back(testSong("joint-128.mp3"));
    PlaylistModel& model = fixture.show(paths);
    fixture.player.playEntry(300);
    EXPECT_TRUE(processUntil([&] { return model.heardRow() == 300; }));
    EXPECT_TRUE(model.index(300, PlaylistModel::titleColumn).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model.index(0, PlaylistModel::titleColumn).data(Qt::FontRole).value<QFont>().bold());
    const std::vector<int> inView = fixture.window->view().rowsInView();
    EXPECT_NE(std::find(inView.begin(), inView.end(), 300), inView.end());
}

TEST(PlaylistWindow, EnterAndADoubleClickPlayTheEntryAlsoUnderAFilter)
{
    NumberedList list(30);
    ListWindowFixture& fixture = list.fixture;
    PlaylistView& view = list.view;
    fixture.select({4});
    QTest::keyClick(&view, Qt::Key_Return);
    fixture.filterBy("song 2");
    // Shown: "song 2" and "song 20" to "song 29"; the third shown is 21.
    ASSERT_EQ(view.model()->rowCount(), 11);
    const QRect third = view.visualRect(view.model()->index(2, PlaylistModel::titleColumn));
    // A double click is a press and release, then a second press that is the double click.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(fixture.asked(Kind::playEntry).size(), 1u) << "a single click only chooses";
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, third.center());
    // Enter in the filter field plays the entry chosen.
    QTest::keyClick(&fixture.window->filterField(), Qt::Key_Enter);
    const auto played = fixture.asked(Kind::playEntry);
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].index, 4);
    EXPECT_EQ(played[1].index, 21);
    EXPECT_EQ(played[2].index, 21);
}

TEST(PlaylistWindow, EditsWaitForThePlayerThreadsFirstList)
{
    ListWindowFixture fixture;
    fixture.window->setOpen(true);
    PlaylistView& view = fixture.window->view();
    const std::string dropped = fixture.folder.write("dropped.mp3", "x");
    auto drop = [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent moving(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &moving);
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    };
    // The program's first player thread reads its list: until the window is
    // told, an edit would go to the list that one replaces.
    fixture.player.startPlayerThread(testSong("stereo-128.mp3"));
    drop();
    EXPECT_TRUE(fixture.asked(Kind::insert).empty());
    EXPECT_TRUE(processUntil([&] { return fixture.window->model().rowCount() == 1; }));
    drop();
    ASSERT_EQ(fixture.asked(Kind::insert).size(), 1u);
    EXPECT_TRUE(processUntil([&] { return fixture.window->model().rowCount() == 2; }));
}

TEST(PlaylistWindow, DeleteRemovesTheSelectedEntriesAlsoUnderAFilter)
{
    NumberedList list(30);
    ListWindowFixture& fixture = list.fixture;
    PlaylistModel& model = list.model;
    PlaylistView& view = list.view;
    const std::vector<std::string>& paths = list.paths;
    fixture.select({7, 3});
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ(fixture.asked(Kind::remove).size(), 1u);
    EXPECT_EQ(fixture.asked(Kind::remove)[0].indices, (std::vector<int>{3, 7}));
    EXPECT_TRUE(processUntil([&] { return model.rowCount() == 28; }));

    // "song 1x" shown under the filter: the first shown, "song 1", is
    // entry 1; the third, "song 11", entry 9 now.
    fixture.filterBy("song 1");
    fixture.select({0, 2});
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ(fixture.asked(Kind::remove).size(), 2u);
    EXPECT_EQ(fixture.asked(Kind::remove)[1].indices, (std::vector<int>{1, 9}));
    EXPECT_TRUE(processUntil([&] { return model.rowCount() == 26; }));
    EXPECT_EQ(fixture.player.listSnapshot().paths[1], paths[2]);
    EXPECT_EQ(fixture.player.listSnapshot().paths[8], paths[12]);
}

TEST(PlaylistWindow, DraggedEntriesMoveBeforeTheEntryTheyAreDroppedOnAlsoUnderAFilter)
{
    NumberedList list(30);
    ListWindowFixture& fixture = list.fixture;
    PlaylistModel& model = list.model;
    const std::vector<std::string>& paths = list.paths;
    QAbstractItemModel& shown = *list.view.model();
    auto drag = [&](const std::vector<int>& rows) {
        QModelIndexList indexes;
        for (const int row : rows)
            for (int column = 0; column < PlaylistModel::columnCount_; ++column) indexes << shown.index(row, column);
        return std::unique_ptr<QMimeData>(shown.mimeData(indexes));
    };
    // Rows 2 and 5 dropped before row 10: the engine is asked, and the list
    // shows them there, still selected.
    auto moved = drag({5, 2});
    EXPECT_TRUE(shown.canDropMimeData(moved.get(), Qt::MoveAction, 10, 0, QModelIndex()));
    shown.dropMimeData(moved.get(), Qt::MoveAction, 10, 0, QModelIndex());
    ASSERT_EQ(fixture.asked(Kind::move).size(), 1u);
    EXPECT_EQ(fixture.asked(Kind::move)[0].indices, (std::vector<int>{2, 5}));
    EXPECT_EQ(fixture.asked(Kind::move)[0].index, 10);
    EXPECT_TRUE(processUntil([&] { return model.paths()[8] == paths[2]; }));
    EXPECT_EQ(model.paths()[9], paths[5]);
    EXPECT_EQ(fixture.window->view().selectedRows(), (std::vector<int>{8, 9}));

    // Under a filter the shown rows name their entries: "song 2x" shown,
    // the first two (entries "song 2" at 8 and "song 20") moved before the
    // fourth shown ("song 22").
    fixture.filterBy("song 2");
    const int song20 =
        static_cast<int>(std::find(model.paths().begin(), model.paths().end(), paths[20]) - model.paths().begin());
    const int song22 =
        static_cast<int>(std::find(model.paths().begin(), model.paths().end(), paths[22]) - model.paths().begin());
    shown.dropMimeData(drag({0, 1}).get(), Qt::MoveAction, 3, 0, QModelIndex());
    ASSERT_EQ(fixture.asked(Kind::move).size(), 2u);
    EXPECT_EQ(fixture.asked(Kind::move)[1].indices, (std::vector<int>{8, song20}));
    EXPECT_EQ(fixture.asked(Kind::move)[1].index, song22);

    // A drag from a list that has changed since is refused.
    EXPECT_TRUE(processUntil([&] { return model.version() == fixture.player.listSnapshot().version; }));
    auto stale = drag({0});
    fixture.player.addPaths({list.songs.file("late.mp3")});
    EXPECT_TRUE(processUntil([&] { return model.rowCount() == 31; }));
    shown.dropMimeData(stale.get(), Qt::MoveAction, 3, 0, QModelIndex());
    EXPECT_EQ(fixture.asked(Kind::move).size(), 2u);
    // Another program's data in the list's format names no entries.
    QMimeData foreign;
    foreign.setData(PlaylistModel::entriesMimeType, QByteArray::number(qulonglong(model.version())) + ";0,1");
    shown.dropMimeData(&foreign, Qt::MoveAction, 3, 0, QModelIndex());
    EXPECT_EQ(fixture.asked(Kind::move).size(), 2u);
}

TEST(PlaylistWindow, FilesAndFoldersDroppedAreInsertedWhereDropped)
{
    NumberedList list(10);
    ListWindowFixture& fixture = list.fixture;
    PlaylistModel& model = list.model;
    PlaylistView& view = list.view;
    TempFolder& songs = list.songs;
    fixture.window->resize(420, 700);
    EXPECT_TRUE(processUntil([&] { return view.viewport()->height() > 500; }));
    const std::string dropped = songs.write("dropped.mp3", "x");
    const std::string folder = songs.write("folder/inside.mp3", "x");
    auto dropAt = [&](QPoint at) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped)),
                      QUrl::fromLocalFile(QString::fromStdString(songs.file("folder")))});
        // As a drag from a file manager comes: it enters, moves, then drops.
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent moving(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &moving);
        EXPECT_TRUE(moving.isAccepted());
        QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        QCoreApplication::sendEvent(view.viewport(), &drop);
        // What was dropped is never taken from where it came.
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    };
    const QRect row3 = view.visualRect(view.model()->index(3, 0));
    // The upper half of a row: before it; the lower half: after it; below
    // the last: at the end (the rows as shown when dropped).
    dropAt(QPoint(row3.center().x(), row3.top() + 1));
    dropAt(QPoint(row3.center().x(), row3.bottom() - 1));
    dropAt(QPoint(5, view.viewport()->height() - 2));
    const auto inserted = fixture.asked(Kind::insert);
    ASSERT_EQ(inserted.size(), 3u);
    EXPECT_EQ(inserted[0].index, 3);
    EXPECT_EQ(inserted[1].index, 4);
    EXPECT_EQ(inserted[2].index, -1);
    EXPECT_EQ(inserted[0].paths, (std::vector<std::string>{dropped, songs.file("folder")}));
    EXPECT_TRUE(processUntil([&] { return model.rowCount() == 16; }));
    EXPECT_EQ(model.paths()[3], dropped);
    EXPECT_EQ(model.paths()[4], dropped);
    EXPECT_EQ(model.paths()[5], folder);
    EXPECT_EQ(model.paths()[14], dropped);
    EXPECT_EQ(model.paths()[15], folder);
}

TEST(PlaylistWindow, TypingFiltersByTitleAndArtistAndEscapeClearsIt)
{
    NumberedList list(12);
    ListWindowFixture& fixture = list.fixture;
    PlaylistView& view = list.view;
    view.setFocus();
    QTest::keyClicks(&view, "SONG 1");
    EXPECT_EQ(fixture.window->filterField().text(), "SONG 1");
    // Titles "Title of song 1.mp3", "song 10", "song 11".
    EXPECT_EQ(view.model()->rowCount(), 3);
    fixture.filterBy("Artist song 11");
    EXPECT_EQ(view.model()->rowCount(), 1);
    QTest::keyClick(&fixture.window->filterField(), Qt::Key_Escape);
    EXPECT_TRUE(fixture.window->filterField().text().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 12);
}

TEST(PlaylistWindow, SaveListWritesTheListThatReadsBackAndSaysWhenItCannot)
{
    ListWindowFixture fixture;
    const std::string tagged = fixture.folder.write(
        "songs/tagged.mp3",
        tagbytes::id3v2Tag(3, tagbytes::id3Frame(3, "TIT2", tagbytes::textData(0, "Blue Song")) +
                                  tagbytes::id3Frame(3, "TPE1", tagbytes::textData(0, "The Band"))) +
            fileBytes(testSong("stereo-128.mp3")));
    const std::string odd = fixture.folder.write("songs/#odd name é.mp3", fileBytes(testSong("joint-128.mp3")));
    PlaylistModel& model = fixture.show({tagged, odd});
    EXPECT_TRUE(processUntil([&] { return model.isRead(tagged) && model.isRead(odd); }));

    fixture.dialogs.listToSaveAnswer = std::nullopt;
    fixture.window->saveList();
    EXPECT_EQ(fixture.dialogs.lastSongShown, tagged);

    const std::string listPath = fixture.folder.file("lists/saved.m3u8");
    std::filesystem::create_directories(fixture.folder.file("lists"));
    fixture.dialogs.listToSaveAnswer = listPath;
    fixture.window->saveList();
    EXPECT_TRUE(fixture.messages.messages().empty());
    const std::string text = fileBytes(listPath);
    EXPECT_EQ(text.rfind("#EXTM3U\n#EXTINF:1,The Band - Blue Song\n../songs/tagged.mp3\n", 0), 0u) << text;
    Playlist readBack{[](const std::string&) {}};
    readBack.loadList(listPath);
    ASSERT_EQ(readBack.entries().size(), 2u);
    EXPECT_TRUE(std::filesystem::equivalent(readBack.entries()[0], tagged));
    EXPECT_TRUE(std::filesystem::equivalent(readBack.entries()[1], odd));

    // A list that cannot be written says why; the old one stays.
    fixture.dialogs.listToSaveAnswer = fixture.folder.file("songs/tagged.mp3/l.m3u8");
    fixture.window->saveList();
    ASSERT_EQ(fixture.messages.messages().size(), 1u);
    EXPECT_EQ(fixture.messages.messages()[0].text.rfind("Could not save playlist: ", 0), 0u);
    EXPECT_EQ(fileBytes(listPath), text);
}

TEST(PlaylistWindow, EndsWhileASongIsBeingRead)
{
    std::atomic<bool> reading{false};
    std::atomic<bool> stoppedSeen{false};
    auto slow = [&](const std::string&, const FactsStopCheck& stopped) {
        reading.store(true);
        // A song long to count: only the window's end cuts it short, within
        // a limit, so a stop that never comes fails rather than hangs.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stopped() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stoppedSeen.store(stopped());
        return SongFacts{};
    };
    auto fixture = std::make_unique<ListWindowFixture>(slow);
    TempFolder songs;
    fixture->show(numberedPaths(songs, 50));
    EXPECT_TRUE(processUntil([&] { return reading.load(); }));
    fixture.reset();
    EXPECT_TRUE(stoppedSeen.load());
}

TEST(PlaylistWindow, TheFacesMenuItemAndCtrlLOpenAndCloseItAndItIsRemembered)
{
    ShellFixture shell;
    {
        MainWindow& window = shell.open();
        PlaylistWindow& playlist = window.playlistWindow();
        EXPECT_FALSE(playlist.isOpen());
        EXPECT_EQ(playlist.parentWidget(), &window);
        window.faceMenu().popup(window.mapToGlobal(QPoint(0, 0)));
        QMenu& menu = *window.faceMenu().menu();
        QAction* item = nullptr;
        for (QAction* action : menu.actions())
            if (action->text() == "Playlist") item = action;
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isCheckable());
        EXPECT_FALSE(item->isChecked());
        item->trigger();
        EXPECT_TRUE(playlist.isOpen());
        menu.hide();
        window.faceMenu().popup(window.mapToGlobal(QPoint(0, 0)));
        for (QAction* action : window.faceMenu().menu()->actions())
            if (action->text() == "Playlist") {
                EXPECT_TRUE(action->isChecked());
            }
        window.faceMenu().menu()->hide();

        QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
        EXPECT_FALSE(playlist.isOpen());
        QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
        EXPECT_TRUE(playlist.isOpen());
        // The face made anew off and on top: the list stays open, above it.
        window.setOnTop(false);
        window.setOnTop(true);
        EXPECT_TRUE(processUntil([&] { return playlist.isOpen() && window.isVisible(); }));
        ASSERT_NE(playlist.windowHandle(), nullptr);
        EXPECT_EQ(playlist.windowHandle()->transientParent(), window.windowHandle());
        // It shows the list the face plays.
        window.actions().playPath(testSong("stereo-128.mp3"));
        EXPECT_TRUE(processUntil([&] { return playlist.model().rowCount() == 1 && playlist.model().heardRow() == 0; }));
    }
    shell.player.stopPlayback();
    shell.readouts.setWindow(nullptr);
    shell.window.reset();
    MainWindow& again = shell.open();
    EXPECT_TRUE(again.playlistWindow().isOpen());
}

TEST(DroppedPaths, EveryFileAndFolderOfADropInItsOrder)
{
    TempFolder folder;
    const std::string song = folder.write("a song.mp3", "x");
    const std::string sub = folder.write("sub/b.mp3", "x");
    ::mkfifo(folder.file("pipe").c_str(), 0600);
    QMimeData urls;
    urls.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder.file("sub"))), QUrl("http://example.org/a.mp3"),
                  QUrl::fromLocalFile(QString::fromStdString(folder.file("pipe"))),
                  QUrl::fromLocalFile(QString::fromStdString(song))});
    EXPECT_EQ(droppedPaths(urls), (std::vector<std::string>{folder.file("sub"), song}));
    QMimeData text;
    text.setText(QString::fromStdString(song + "\n" +
                                        QUrl::fromLocalFile(QString::fromStdString(sub)).toString().toStdString() +
                                        "\r\n" + folder.file("missing.mp3") + "\nnot a path\n"));
    EXPECT_EQ(droppedPaths(text), (std::vector<std::string>{song, sub}));
}
