#include "traymanager.h"

#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace {

// A small framed landscape: the program's own icon, drawn so nothing is shipped.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(0.5, size * 0.15, size - 1.0, size * 0.7);
        painter.setPen(QPen(QColor(60, 60, 60), std::max(1.0, size / 16.0)));
        painter.setBrush(QColor(90, 160, 230));
        painter.drawRect(frame);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 210, 60));
        painter.drawEllipse(QPointF(size * 0.7, size * 0.35), size * 0.1, size * 0.1);
        painter.setBrush(QColor(60, 150, 70));
        const QPointF hills[] = {{frame.left(), frame.bottom()},
                                 {size * 0.35, size * 0.45},
                                 {size * 0.6, frame.bottom()}};
        painter.drawPolygon(hills, 3);
        pixmap.setDevicePixelRatio(1.0);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TrayManager::TrayManager(QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(programIcon(), this))
    , m_menu(new QMenu) {
    m_icon->setToolTip(QStringLiteral("Rotafond"));
    QAction *restore =
        m_menu->addAction(QStringLiteral("Restore"), this, &TrayManager::restoreRequested);
    m_menu->setDefaultAction(restore);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Change Defaults"), this, &TrayManager::defaultsRequested);
    m_menu->addAction(QStringLiteral("Change Wallpaper"), this,
                      &TrayManager::changeWallpaperRequested);
    m_menu->addAction(QStringLiteral("Clear Screen"), this, &TrayManager::clearScreenRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Cancel")); // only closes the menu
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("About"), this, &TrayManager::aboutRequested);
    m_menu->addAction(QStringLiteral("Exit Rotafond"), this, &TrayManager::exitRequested);
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick)
                    Q_EMIT restoreRequested();
            });
}

TrayManager::~TrayManager() {
    delete m_menu;
}

bool TrayManager::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayManager::isInTray() const {
    return m_icon->isVisible();
}

void TrayManager::addIcon() {
    m_icon->show();
}

void TrayManager::removeIcon() {
    m_icon->hide();
}
