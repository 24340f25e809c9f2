#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

class QScreen;

// One monitor of the desktop, in physical pixels (the device-pixel ratio
// applied) and in the desktop's coordinates.
struct Monitor {
    QString name;
    QRect rect;

    bool operator==(const Monitor &) const = default;
};

// The monitors as the window system reports them now, the primary first.
// Call it on the UI thread.
QList<Monitor> currentMonitors();

// The primary monitor's size in physical pixels; 1024x768 when there is none.
QSize primaryMonitorSize(const QList<Monitor> &monitors);

// The size of a picture that holds every monitor at its place: from the
// desktop's origin to the rightmost and lowest monitor edge.
QSize desktopSize(const QList<Monitor> &monitors);

// Reports the monitors once the layout has settled after a change: a monitor
// plugged in or out, resized, moved, rescaled or made primary.
class MonitorWatcher : public QObject {
    Q_OBJECT

public:
    explicit MonitorWatcher(QObject *parent = nullptr);

Q_SIGNALS:
    void monitorsChanged(const QList<Monitor> &monitors);

private:
    void watch(QScreen *screen);

    QTimer m_settle;
};
