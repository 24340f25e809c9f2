#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray icon (tip "Rotafond") and its popup menu. A right click opens the
// menu, a double click restores the main window. Owned by the app, not by a
// window, so it lives while every window is hidden.
class TrayManager : public QObject {
    Q_OBJECT

public:
    explicit TrayManager(QObject *parent = nullptr);
    ~TrayManager() override;

    static bool isAvailable();
    bool isInTray() const;
    void addIcon();
    void removeIcon();
    QMenu *menu() const { return m_menu; }

Q_SIGNALS:
    void restoreRequested();
    void defaultsRequested();
    void changeWallpaperRequested();
    void clearScreenRequested();
    void aboutRequested();
    void exitRequested();

private:
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
};
