#include "wallpaperlist.h"

WallpaperList::WallpaperList(QObject *parent)
    : QAbstractListModel(parent) {}

void WallpaperList::reset(QList<WallpaperEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void WallpaperList::append(const WallpaperEntry &entry) {
    beginInsertRows({}, count(), count());
    m_entries.append(entry);
    endInsertRows();
}

bool WallpaperList::remove(int position) {
    if (!isValidPosition(position))
        return false;
    beginRemoveRows({}, position, position);
    m_entries.removeAt(position);
    endRemoveRows();
    return true;
}

bool WallpaperList::move(int from, int to) {
    if (!isValidPosition(from) || !isValidPosition(to))
        return false;
    if (from == to)
        return true;
    // Qt counts the destination before the move; moving down lands one row further.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_entries.move(from, to);
    endMoveRows();
    return true;
}

bool WallpaperList::replace(int position, const WallpaperEntry &entry) {
    if (!isValidPosition(position))
        return false;
    if (m_entries.at(position) == entry)
        return true;
    m_entries[position] = entry;
    const QModelIndex changed = index(position);
    Q_EMIT dataChanged(changed, changed);
    return true;
}

int WallpaperList::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant WallpaperList::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !isValidPosition(index.row()))
        return {};
    const WallpaperEntry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.filePath;
    case ResizeRole:
        return entry.resize;
    case ProportionalRole:
        return entry.proportional;
    case TiledRole:
        return entry.tiled;
    default:
        return {};
    }
}
