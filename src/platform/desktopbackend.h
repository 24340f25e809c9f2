#pragma once

#include "monitors.h"
#include "result.h"
#include "wallpaperstyle.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// Tells one kind of desktop which bitmap to show and how. apply() and clear()
// run on a worker thread (never two at once) and may take their time.
class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;

    virtual QString name() const = 0;

    // True when the desktop must be given a new file name for every change
    // (it caches by name or ignores a setting that did not change).
    virtual bool wantsFreshFileName() const { return true; }

    // True when the backend draws the bitmap it is given itself instead of
    // reading the file: it is then given the whole desktop, every monitor's
    // picture at its place, with style Span.
    virtual bool drawsFromPixels() const { return false; }

    // True when the desktop takes one picture for all monitors: with more
    // than one it is then given the whole desktop with style Span.
    virtual bool spansMonitors() const { return false; }

    // Shows the bitmap at path; bitmap holds its pixels for backends that
    // draw themselves.
    virtual Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) = 0;
    // Shows no picture: the desktop's plain background.
    virtual Result<void> clear() = 0;
};

// Composes the picture one monitor shows, for its size in physical pixels,
// and writes it beside the bitmap under a name of its own; gives its path.
using MonitorPictureWriter = std::function<Result<QString>(const QString &monitor, QSize size)>;

// A desktop that sets every monitor on its own is given each monitor's own
// picture, which fills it exactly.
class PerMonitorBackend : public DesktopBackend {
public:
    // monitors: as the window system reports them. path is the primary
    // monitor's bitmap with the entry's style, for a monitor the desktop
    // names but the window system does not.
    virtual Result<void> applyPerMonitor(const MonitorPictureWriter &writePicture,
                                         const QList<Monitor> &monitors, const QString &path,
                                         WallpaperStyle style) = 0;
};

// Picks the backend from ROTAFOND_DESKTOP, else XDG_CURRENT_DESKTOP; when
// nothing matches, bare X11, or on Wayland one that says it cannot.
// monitorName names the primary output. Call it on the UI thread.
std::unique_ptr<DesktopBackend> createDesktopBackend(const QString &monitorName);
