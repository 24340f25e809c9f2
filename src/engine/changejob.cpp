#include "changejob.h"

#include "desktoppicture.h"
#include "fileexists.h"
#include "wallpaperfiles.h"

#include <QFileInfo>
#include <QHash>

namespace {

enum class EntryState { Reachable, Shown, Unreachable, Broken, OutputFailed, Cancelled };

// Thousands of entries on one unmounted drive share a few folders: each
// folder is looked at once per change.
class Reachability {
public:
    EntryState check(const QString &path) {
        const QString folder = QFileInfo(path).absolutePath();
        const auto known = m_missingFolders.constFind(folder);
        if (known != m_missingFolders.cend() && known.value())
            return EntryState::Unreachable;
        if (fileExists(path))
            return EntryState::Reachable;
        if (fileIsDefinitelyGone(path))
            return EntryState::Broken;
        m_missingFolders.insert(folder, !QFileInfo(folder).isDir());
        return EntryState::Unreachable;
    }

private:
    QHash<QString, bool> m_missingFolders;
};

EntryState show(const WallpaperEntry &entry, const QList<Monitor> &monitors, WallpaperFiles &files,
                DesktopBackend &desktop, const std::atomic_bool &cancelled, QString *error) {
    DesktopPicture picture(entry, primaryMonitorSize(monitors));
    if (!picture.readHeader(error))
        return EntryState::Broken;
    // A desktop with one picture for all monitors gets them composed one by one.
    const bool spanned =
        desktop.drawsFromPixels() || (monitors.size() > 1 && desktop.spansMonitors());
    const WallpaperStyle style = spanned ? WallpaperStyle::Span : picture.composition().style;
    if (desktop.drawsFromPixels()) {
        // Show first, then write the full bitmap that no desktop is waiting for.
        const QImage visible = picture.desktop(monitors, error);
        if (visible.isNull())
            return EntryState::Broken;
        if (cancelled)
            return EntryState::Cancelled;
        const ApplyResult applied = desktop.apply(files.bitmapPath(), visible, style);
        if (!applied.ok) {
            *error = applied.error;
            return EntryState::OutputFailed;
        }
        const QImage bitmap = picture.bitmap(error);
        if (bitmap.isNull())
            return EntryState::Broken;
        return files.writeBitmap(bitmap, error) ? EntryState::Shown : EntryState::OutputFailed;
    }
    const QImage bitmap = picture.bitmap(error);
    const QImage shown = spanned ? picture.desktop(monitors, error) : bitmap;
    if (bitmap.isNull() || shown.isNull())
        return EntryState::Broken;
    if (cancelled)
        return EntryState::Cancelled;
    if (!files.writeBitmap(bitmap, error))
        return EntryState::OutputFailed;
    QString path = files.bitmapPath();
    if (spanned)
        path = files.freshlyNamedSpan(shown, error);
    else if (desktop.wantsFreshFileName())
        path = files.freshlyNamedCopy(error);
    if (path.isEmpty())
        return EntryState::OutputFailed;
    auto *perMonitor = dynamic_cast<PerMonitorBackend *>(&desktop);
    const ApplyResult applied =
        perMonitor
            ? perMonitor->applyPerMonitor(
                  [&](const QString &monitor, QSize size, QString *failure) {
                      const QImage own =
                          picture.desktop({{monitor, QRect(QPoint(0, 0), size)}}, failure);
                      return own.isNull() ? QString() : files.monitorPicture(monitor, own, failure);
                  },
                  monitors, path, style)
            : desktop.apply(path, shown, style);
    if (!applied.ok) {
        *error = applied.error;
        return EntryState::OutputFailed;
    }
    return EntryState::Shown;
}

} // namespace

ChangeResult runChange(const ChangeRequest &request, WallpaperFiles &files, DesktopBackend &desktop,
                       const std::atomic_bool &cancelled) {
    ChangeResult result;
    QList<WallpaperEntry> entries = request.entries;
    result.next = request.next;
    int counter = request.counter;
    int failures = 0;
    Reachability reachability;
    for (;;) {
        if (cancelled) {
            result.outcome = ChangeOutcome::Superseded;
            return result;
        }
        if (counter < 0 || counter >= entries.size()) {
            if (entries.isEmpty()) {
                result.outcome = ChangeOutcome::EmptyList;
                return result;
            }
            counter = 0;
        }
        const WallpaperEntry &entry = entries.at(counter);
        QString error;
        EntryState state = reachability.check(entry.filePath);
        if (state == EntryState::Reachable)
            state = show(entry, request.monitors, files, desktop, cancelled, &error);
        switch (state) {
        case EntryState::Reachable:
        case EntryState::Shown:
            result.outcome = ChangeOutcome::Shown;
            result.shown = entry;
            return result;
        case EntryState::OutputFailed:
            // Not the entry's fault: it stays, and the walk stops here.
            result.outcome = ChangeOutcome::OutputFailed;
            result.error = error;
            return result;
        case EntryState::Cancelled:
            result.outcome = ChangeOutcome::Superseded;
            return result;
        case EntryState::Broken:
            result.removed.append({counter, entry});
            entries.removeAt(counter);
            break;
        case EntryState::Unreachable:
            // Kept for when its drive is back; skipped for now.
            break;
        }
        result.outcome = ChangeOutcome::EntryFailed;
        // An emptied list ends with the empty-list message, as a tick would.
        if (!request.walkOnFailure || (++failures > entries.size() && !entries.isEmpty()))
            return result;
        // The failed entry counts as a due tick: the next one by "NextFile".
        counter = result.next;
        result.next = counter + 2 > entries.size() ? 0 : counter + 1;
    }
}
