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

// A picture that cannot be decoded is the entry's fault (Broken), anything
// else the output's: a failure that says why.
Result<EntryState> show(const WallpaperEntry &entry, const QList<Monitor> &monitors,
                        WallpaperFiles &files, DesktopBackend &desktop,
                        const std::atomic_bool &cancelled) {
    DesktopPicture picture(entry, primaryMonitorSize(monitors));
    if (!picture.readHeader())
        return EntryState::Broken;
    // A desktop with one picture for all monitors gets them composed one by one.
    const bool spanned =
        desktop.drawsFromPixels() || (monitors.size() > 1 && desktop.spansMonitors());
    const WallpaperStyle style = spanned ? WallpaperStyle::Span : picture.composition().style;
    const auto outputFailed = [](const Result<void> &written) -> Result<EntryState> {
        return Failure{written.error()};
    };
    if (desktop.drawsFromPixels()) {
        // Show first, then write the full bitmap that no desktop is waiting for.
        const Result<QImage> visible = picture.desktop(monitors);
        if (!visible)
            return EntryState::Broken;
        if (cancelled)
            return EntryState::Cancelled;
        if (const Result<void> applied = desktop.apply(files.bitmapPath(), *visible, style);
            !applied)
            return outputFailed(applied);
        const Result<QImage> bitmap = picture.bitmap();
        if (!bitmap)
            return EntryState::Broken;
        const Result<void> written = files.writeBitmap(*bitmap);
        return written ? EntryState::Shown : outputFailed(written);
    }
    const Result<QImage> bitmap = picture.bitmap();
    const Result<QImage> shown = spanned ? picture.desktop(monitors) : bitmap;
    if (!bitmap || !shown)
        return EntryState::Broken;
    if (cancelled)
        return EntryState::Cancelled;
    if (const Result<void> written = files.writeBitmap(*bitmap); !written)
        return outputFailed(written);
    const Result<QString> path = spanned                        ? files.freshlyNamedSpan(*shown)
                                 : desktop.wantsFreshFileName() ? files.freshlyNamedCopy()
                                                                : files.bitmapPath();
    if (!path)
        return outputFailed(path);
    auto *perMonitor = dynamic_cast<PerMonitorBackend *>(&desktop);
    const Result<void> applied =
        perMonitor ? perMonitor->applyPerMonitor(
                         [&](const QString &monitor, QSize size) -> Result<QString> {
                             const Result<QImage> own =
                                 picture.desktop({{monitor, QRect(QPoint(0, 0), size)}});
                             if (!own)
                                 return Failure{own.error()};
                             return files.monitorPicture(monitor, *own);
                         },
                         monitors, *path, style)
                   : desktop.apply(*path, *shown, style);
    return applied ? EntryState::Shown : outputFailed(applied);
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
        EntryState state = reachability.check(entry.filePath);
        if (state == EntryState::Reachable) {
            const Result<EntryState> shown =
                show(entry, request.monitors, files, desktop, cancelled);
            state = shown ? *shown : EntryState::OutputFailed;
            if (!shown)
                result.error = shown.error();
        }
        switch (state) {
        case EntryState::Reachable:
        case EntryState::Shown:
            result.outcome = ChangeOutcome::Shown;
            result.shown = entry;
            return result;
        case EntryState::OutputFailed:
            // Not the entry's fault: it stays, and the walk stops here.
            result.outcome = ChangeOutcome::OutputFailed;
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
