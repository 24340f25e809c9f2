#pragma once

#include "monitors.h"
#include "wallpaperstyle.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

struct ApplyResult {
    bool ok = true;
    QString error;

    static ApplyResult failure(QString why) { return {false, std::move(why)}; }
};

// Tells one kind of desktop which bitmap to show and how. apply() runs on a
// worker thread (never two at once) and may take its time.
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
    // draw themselves. Style Clear shows no picture.
    virtual ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) = 0;
};

// Composes the picture one monitor shows, for its size in physical pixels,
// and writes it beside the bitmap under a name of its own; returns the path,
// or nothing with error set.
using MonitorPictureWriter =
    std::function<QString(const QString &monitor, QSize size, QString *error)>;

// A desktop that sets every monitor on its own is given each monitor's own
// picture, which fills it exactly.
class PerMonitorBackend : public DesktopBackend {
public:
    // monitors: as the window system reports them. path is the primary
    // monitor's bitmap with the entry's style, for a monitor the desktop
    // names but the window system does not.
    virtual ApplyResult applyPerMonitor(const MonitorPictureWriter &writePicture,
                                        const QList<Monitor> &monitors, const QString &path,
                                        WallpaperStyle style) = 0;
};

// Picks the backend from ROTAFOND_DESKTOP, else XDG_CURRENT_DESKTOP; when
// nothing matches, bare X11, or on Wayland one that says it cannot.
// monitorName names the primary output. Call it on the UI thread.
std::unique_ptr<DesktopBackend> createDesktopBackend(const QString &monitorName);
