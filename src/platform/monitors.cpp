#include "monitors.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

QList<Monitor> currentMonitors() {
    QList<Monitor> monitors;
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens()) {
        // Qt keeps each screen's origin in device pixels and divides only its
        // size by the scale factor.
        const QRect logical = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        const QSize physical(int(std::lround(logical.width() * ratio)),
                             int(std::lround(logical.height() * ratio)));
        const Monitor monitor{screen->name(), QRect(logical.topLeft(), physical)};
        if (screen == primary)
            monitors.prepend(monitor);
        else
            monitors.append(monitor);
    }
    return monitors;
}

QSize primaryMonitorSize(const QList<Monitor> &monitors) {
    return monitors.isEmpty() ? QSize(1024, 768) : monitors.first().rect.size();
}

QSize desktopSize(const QList<Monitor> &monitors) {
    QSize size(0, 0);
    for (const Monitor &monitor : monitors)
        size = size.expandedTo(QSize(monitor.rect.right() + 1, monitor.rect.bottom() + 1));
    return size;
}

MonitorWatcher::MonitorWatcher(QObject *parent)
    : QObject(parent) {
    // xrandr and the desktops change a layout in several steps.
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_settle, &QTimer::timeout, this,
            [this] { Q_EMIT monitorsChanged(currentMonitors()); });
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        m_settle.start();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, &m_settle, qOverload<>(&QTimer::start));
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &m_settle,
            qOverload<>(&QTimer::start));
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
}

void MonitorWatcher::watch(QScreen *screen) {
    connect(screen, &QScreen::geometryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(screen, &QScreen::physicalDotsPerInchChanged, &m_settle, qOverload<>(&QTimer::start));
}
