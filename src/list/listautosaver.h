#pragma once

#include "result.h"

#include <QObject>
#include <QTimer>

class WallpaperList;
class WallpaperListStore;

// Saves the list shortly after every change, so a crash or a kill loses at
// most the last fraction of a second. Bursts (adding a folder of pictures)
// are written once. Loading (a model reset) is not a change: the store holds
// that list already. flush() saves at once and waits for the disk, for the
// ways out of the program. Failures are the store's to report.
class ListAutosaver : public QObject {
    Q_OBJECT

public:
    static constexpr int DelayMs = 250;

    ListAutosaver(WallpaperList &list, WallpaperListStore &store, QObject *parent = nullptr);

    bool isPending() const { return m_timer.isActive(); }
    // Succeeds when the disk now holds the list.
    Result<void> flush();

private:
    void schedule();
    void save();

    WallpaperList &m_list;
    WallpaperListStore &m_store;
    QTimer m_timer;
};
