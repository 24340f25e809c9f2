#pragma once

#include "wallpaperentry.h"

#include <QAbstractListModel>
#include <QList>

// The wallpaper list: entries at positions from 0 that close up on removal.
// Row i shows the path of entry i. Every change goes through the model's
// signals, so views and the autosaver stay in step with it.
class WallpaperList : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { ResizeRole = Qt::UserRole + 1, ProportionalRole, TiledRole };

    explicit WallpaperList(QObject *parent = nullptr);

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool isValidPosition(int position) const { return position >= 0 && position < count(); }
    const WallpaperEntry &at(int position) const { return m_entries.at(position); }
    const QList<WallpaperEntry> &entries() const { return m_entries; }

    void reset(QList<WallpaperEntry> entries);
    void append(const WallpaperEntry &entry);
    bool remove(int position);
    bool move(int from, int to);
    bool replace(int position, const WallpaperEntry &entry);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<WallpaperEntry> m_entries;
};
