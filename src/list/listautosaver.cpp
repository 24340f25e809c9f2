#include "listautosaver.h"

#include "wallpaperlist.h"
#include "wallpaperliststore.h"

ListAutosaver::ListAutosaver(WallpaperList &list, WallpaperListStore &store, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_store(store) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(DelayMs);
    connect(&m_timer, &QTimer::timeout, this, &ListAutosaver::save);
    connect(&list, &QAbstractItemModel::rowsInserted, this, &ListAutosaver::schedule);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, &ListAutosaver::schedule);
    connect(&list, &QAbstractItemModel::rowsMoved, this, &ListAutosaver::schedule);
    connect(&list, &QAbstractItemModel::dataChanged, this, &ListAutosaver::schedule);
}

void ListAutosaver::schedule() {
    // Not restarted by later changes: a steady stream of edits still saves every DelayMs.
    if (!m_timer.isActive())
        m_timer.start();
}

void ListAutosaver::save() {
    m_timer.stop();
    m_store.save(m_list.entries());
}

Result<void> ListAutosaver::flush() {
    save();
    return m_store.sync();
}
