#pragma once

#include "desktopbackend.h"
#include "monitors.h"
#include "wallpaperentry.h"

#include <QList>
#include <QString>

#include <atomic>

class WallpaperFiles;

enum class ChangeOutcome { Shown, EmptyList, EntryFailed, OutputFailed, Superseded };

// One change as the worker sees it: a copy of everything it reads, so it
// shares nothing with the UI thread while it runs.
struct ChangeRequest {
    QList<WallpaperEntry> entries;
    int counter = 0;           // the entry to show first
    int next = 0;              // "NextFile" as stored when the change started
    bool walkOnFailure = true; // false while the introduction runs
    QList<Monitor> monitors;   // the primary first
};

struct RemovedEntry {
    int position; // in the list as it was when this entry left it
    WallpaperEntry entry;
};

struct ChangeResult {
    ChangeOutcome outcome = ChangeOutcome::EntryFailed;
    // Entries whose files are gone or are no pictures, in the order they left the list.
    QList<RemovedEntry> removed;
    int next = 0;         // "NextFile" once the walk has ended
    WallpaperEntry shown; // the entry on the desktop when the outcome is Shown
    QString error;
};

// Shows the entry at counter; when it cannot be shown, walks on through the
// list by the "NextFile" rule, exactly as if each failure had been the next
// tick, until an entry shows, the list runs empty, or every entry has failed
// once. Runs on a worker; cancelled is checked before each entry and before
// the desktop is touched.
ChangeResult runChange(const ChangeRequest &request, WallpaperFiles &files, DesktopBackend &desktop,
                       const std::atomic_bool &cancelled);
