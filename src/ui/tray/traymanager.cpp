#include "traymanager.h"

#include "programicon.h"

#include <QMenu>
#include <QSystemTrayIcon>

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
