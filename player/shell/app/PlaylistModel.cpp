#include "PlaylistModel.h"

#include <QFont>
#include <QMimeData>
#include <algorithm>

#include "TitleLine.h"

namespace {

// The entries a drag from the list carries, as the list stood when it
// began. Only a drag of this program's own list holds one: no other
// program's data is read as entries.
class DraggedEntries : public QMimeData {
public:
    DraggedEntries(std::uint64_t version, std::vector<int> rows) : version(version), rows(std::move(rows))
    {
        setData(QString::fromLatin1(PlaylistModel::entriesMimeType), QByteArray());
    }
    const std::uint64_t version;
    const std::vector<int> rows;
};

} // namespace

QString lengthText(int seconds)
{
    if (seconds < 0) return QString();
    const int h = seconds / 3600;
    const int m = seconds / 60 % 60;
    const int s = seconds % 60;
    if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractTableModel(parent) {}

void PlaylistModel::show(ListSnapshot snapshot)
{
    beginResetModel();
    snapshot_ = std::move(snapshot);
    rowsOf_.clear();
    for (int row = 0; row < static_cast<int>(snapshot_.paths.size()); ++row)
        rowsOf_[snapshot_.paths[row]].push_back(row);
    endResetModel();
}

void PlaylistModel::showHeard(int index)
{
    const int before = snapshot_.heardIndex;
    if (index == before) return;
    snapshot_.heardIndex = index;
    for (const int row : {before, index})
        if (row >= 0 && row < rowCount()) rowsChanged(row, row, {Qt::FontRole});
}

std::vector<std::string> PlaylistModel::unread() const
{
    std::vector<std::string> paths;
    for (const std::string& path : snapshot_.paths)
        if (!facts_.contains(path)) paths.push_back(path);
    return paths;
}

void PlaylistModel::addFacts(std::vector<SongFactsReader::Found> found)
{
    int first = rowCount();
    int last = -1;
    for (SongFactsReader::Found& one : found) {
        if (const auto rows = rowsOf_.find(one.path); rows != rowsOf_.end()) {
            first = std::min(first, rows->second.front());
            last = std::max(last, rows->second.back());
        }
        facts_[std::move(one.path)] = std::move(one.facts);
    }
    if (last >= first) rowsChanged(first, last, {Qt::DisplayRole});
}

SongFacts PlaylistModel::factsAt(int row) const
{
    if (row < 0 || row >= rowCount()) return SongFacts();
    const auto found = facts_.find(snapshot_.paths[row]);
    return found == facts_.end() ? SongFacts() : found->second;
}

QString PlaylistModel::titleAt(int row) const
{
    const SongFacts facts = factsAt(row);
    return facts.title.empty() ? titleLineOf(snapshot_.paths[row]) : QString::fromStdString(facts.title);
}

void PlaylistModel::rowsChanged(int first, int last, const QList<int>& roles)
{
    emit dataChanged(index(first, 0), index(last, columnCount_ - 1), roles);
}

int PlaylistModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(snapshot_.paths.size());
}

int PlaylistModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const int row = index.row();
    if (role == Qt::FontRole && row == snapshot_.heardIndex) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == numberColumn || index.column() == lengthColumn))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) return QString::fromStdString(snapshot_.paths[row]);
    if (role != Qt::DisplayRole) return QVariant();
    switch (index.column()) {
    case numberColumn:
        return row + 1;
    case titleColumn:
        return titleAt(row);
    case artistColumn:
        return QString::fromStdString(factsAt(row).artist);
    case lengthColumn:
        return lengthText(factsAt(row).seconds);
    default:
        return QVariant();
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case numberColumn:
        return QStringLiteral("#");
    case titleColumn:
        return QStringLiteral("Title");
    case artistColumn:
        return QStringLiteral("Artist");
    case lengthColumn:
        return QStringLiteral("Length");
    default:
        return QVariant();
    }
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const
{
    // Drops go between rows (onto the list), never onto an entry.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList PlaylistModel::mimeTypes() const
{
    return {QString::fromLatin1(entriesMimeType), QStringLiteral("text/uri-list")};
}

QMimeData* PlaylistModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return new DraggedEntries(snapshot_.version, std::move(rows));
}

bool PlaylistModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent)
{
    const auto* entries = dynamic_cast<const DraggedEntries*>(data);
    // Rows of a list that has changed since the drag began may name other
    // entries now: the move is refused.
    if (action != Qt::MoveAction || !entries || entries->version != snapshot_.version) return false;
    const int before = row >= 0 ? row : parent.isValid() ? parent.row() : rowCount();
    if (onMove) onMove(entries->rows, before);
    // The engine's list shows the move once it is told; no row is removed here.
    return false;
}

Qt::DropActions PlaylistModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions PlaylistModel::supportedDragActions() const
{
    return Qt::MoveAction;
}
