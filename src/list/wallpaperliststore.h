#pragma once

#include "result.h"
#include "wallpaperentry.h"

#include <QList>

#include <functional>

class SettingsStore;

// Reads and writes the wallpaper list in the settings store: "NumberOfFiles"
// and one key per position in each of the four entry sections.
class WallpaperListStore {
public:
    // Called once per stored entry, before it is read: percent is (i + 1) / n * 100
    // rounded half to even, caption its truncated value followed by " %".
    using Progress = std::function<void(int percent, const QString &caption)>;

    explicit WallpaperListStore(SettingsStore &store);

    // The stored entries in stored order, closed up over the ones whose files are
    // definitely gone. Entries on unreachable drives are kept.
    QList<WallpaperEntry> load(const Progress &progress = {}) const;

    // Puts the whole list in the store, which writes it to the disk shortly
    // after in one atomic file replacement (and reports a failure itself).
    // Keys above the new count stay behind unread, as older versions of the
    // file expect.
    void save(const QList<WallpaperEntry> &entries);
    // Waits until the disk holds what was saved, or says why it does not.
    Result<void> sync();

    static void loadProgress(int index, int count, int *percent, QString *caption);

private:
    SettingsStore &m_store;
};
