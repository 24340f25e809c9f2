#pragma once

#include "desktopbackend.h"

#include <QObject>
#include <QSize>
#include <QTimer>

class CycleHost;
class SettingsStore;
class WallpaperFiles;
class WallpaperList;

// The change timer and the cycle through the list: every interval the entry
// stored as "NextFile" is composed, written and shown, and "NextFile" moves
// on, wrapping after the last entry.
class ChangeCycle : public QObject {
    Q_OBJECT

public:
    static constexpr int TickMs = 60000;

    enum class Outcome { Shown, EmptyList, EntryFailed, OutputFailed };

    ChangeCycle(WallpaperList &list, SettingsStore &settings, WallpaperFiles &files,
                DesktopBackend &desktop, CycleHost &host, QSize screenSize,
                QObject *parent = nullptr);

    void start() { m_timer.start(); }
    bool isRunning() const { return m_timer.isActive(); }

    int changeInterval() const { return m_changeInterval; }
    void setChangeInterval(int minutes) { m_changeInterval = minutes; }
    int tickCount() const { return m_tickCount; }
    void setIntroRunning(bool running) { m_introRunning = running; }

    // While held (a message box or modal dialog is open) a tick is only
    // remembered and runs once the last hold is released.
    void hold();
    void release();

    // One tick of the change timer.
    void tick();
    // Shows the entry stored as next and moves "NextFile" on.
    Outcome advance();
    // Shows entry counter (entry 0 when out of range, and counter becomes 0).
    Outcome setNextWallpaper(int &counter);
    // Sets the desktop to bitmap with the style named by text, or clears it.
    ApplyResult applyWallpaper(const QString &styleText, const QImage &bitmap);

Q_SIGNALS:
    // Every minute, whatever the tick then does.
    void ticked();

private:
    void countTick();
    ApplyResult showBitmap(const QImage &bitmap, WallpaperStyle style);
    Outcome tryNextAfterFailure(int counter, bool removeEntry);
    void outputFailed(const QString &why);

    WallpaperList &m_list;
    SettingsStore &m_settings;
    WallpaperFiles &m_files;
    DesktopBackend &m_desktop;
    CycleHost &m_host;
    QSize m_screenSize;
    QTimer m_timer;
    int m_changeInterval = 0;
    int m_tickCount = 0;
    bool m_introRunning = false;
    int m_holds = 0;
    bool m_tickDeferred = false;
    bool m_changing = false;
    int m_failuresInARow = 0;
    bool m_outputFailing = false;
};
