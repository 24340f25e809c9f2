#pragma once

#include "desktopbackend.h"

#include <sys/types.h>

// sway and other wlroots compositors. Under sway (SWAYSOCK set) sway itself is
// told the background of every output through its IPC, so it replaces the
// swaybg it runs for its own configuration instead of drawing over ours.
// Elsewhere a swaybg started by this backend draws it: each change starts a
// new one and stops the previous one once the new one has had time to draw.
// Only a swaybg this object started (and has not reaped) is ever signalled,
// and the last one ends with the backend, so no run leaves one behind.
// Under sway each output gets a picture composed for its own size.
class SwayBackend : public PerMonitorBackend {
public:
    static constexpr int HandoverMs = 1000;

    ~SwayBackend() override;
    QString name() const override { return QStringLiteral("sway"); }
    bool wantsFreshFileName() const override { return false; }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;
    // sway's own output names and sizes count, which XWayland does not share.
    Result<void> applyPerMonitor(const MonitorPictureWriter &writePicture,
                                 const QList<Monitor> &monitors, const QString &path,
                                 WallpaperStyle style) override;

private:
    struct Output {
        QString name;
        QSize size; // in physical pixels, as the output is turned
    };
    static Result<QList<Output>> listOutputs();
    // background: what follows "bg" in sway's output command.
    static Result<void> setBackground(const QString &output, const QString &background);
    static Result<void> setBackgrounds(const QList<Output> &outputs, const QString &background);
    Result<void> startSwaybg(QList<QByteArray> arguments);

    pid_t m_swaybg = 0;
};
