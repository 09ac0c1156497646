#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ListSnapshot.h"
#include "SongFactsReader.h"

// The engine's list as the playlist window shows it: one row an entry
// (number, title, artist, length) over a snapshot of the list, the heard
// entry in bold. Titles and artists come from the songs' tags, once read
// (the title line's rule names a song until then, and one without a title);
// what was read is kept by path across changes of the list. Rows are dragged
// to move them and files dropped between them are inserted there: the model
// only asks, through onMove and onInsert, and shows the engine's list once
// it has changed.
class PlaylistModel : public QAbstractTableModel {
public:
    enum Column { numberColumn, titleColumn, artistColumn, lengthColumn, columnCount_ };
    // The format of a drag of the list's own entries (their rows and the
    // list's version go with it, within this program).
    static constexpr const char* entriesMimeType = "application/x-sonorbox-entries";

    explicit PlaylistModel(QObject* parent = nullptr);

    // Shows the list of the snapshot in place of the one shown.
    void show(ListSnapshot snapshot);
    // Marks the entry at index as the one heard (-1: none).
    void showHeard(int index);
    std::uint64_t version() const { return snapshot_.version; }
    int heardRow() const { return snapshot_.heardIndex; }
    const std::vector<std::string>& paths() const { return snapshot_.paths; }
    // The songs of the list whose facts are not read yet, in list order.
    std::vector<std::string> unread() const;
    bool isRead(const std::string& path) const { return facts_.contains(path); }
    void addFacts(std::vector<SongFactsReader::Found> found);
    // The facts read of the entry at row; none read: empty texts, no length.
    SongFacts factsAt(int row) const;
    // What the title column shows for the entry at row.
    QString titleAt(int row) const;

    // The entries at rows are to move before the entry at row before (the
    // end past the last).
    std::function<void(const std::vector<int>& rows, int before)> onMove;
    // Files and folders dropped, to go before the entry at row before.
    std::function<void(const std::vector<std::string>& paths, int before)> onInsert;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

private:
    void rowsChanged(int first, int last, const QList<int>& roles);

    ListSnapshot snapshot_;
    std::unordered_map<std::string, SongFacts> facts_;
    // Each path's rows, for telling the views which rows a reading changed.
    std::unordered_map<std::string, std::vector<int>> rowsOf_;
};

// A length as the list shows it: "m:ss", or "h:mm:ss" from an hour on;
// empty for none.
QString lengthText(int seconds);
