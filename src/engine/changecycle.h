#pragma once

#include "changejob.h"
#include "desktopbackend.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class CycleHost;
class QThreadPool;
class SettingsStore;
class WallpaperFiles;
class WallpaperList;

// The change timer and the cycle through the list: every interval the entry
// stored as "NextFile" is composed, written and shown, and "NextFile" moves
// on, wrapping after the last entry. The work of a change runs on a worker,
// one change at a time; results reach the list in the order they were asked
// for, and a newer change supersedes one still waiting or running.
class ChangeCycle : public QObject {
    Q_OBJECT

public:
    using Outcome = ChangeOutcome;
    static constexpr int TickMs = 60000;
    // A change that takes longer is stuck on a path that does not answer.
    static constexpr int GiveUpMs = 20000;

    ChangeCycle(WallpaperList &list, SettingsStore &settings, WallpaperFiles &files,
                DesktopBackend &desktop, CycleHost &host, QList<Monitor> monitors,
                QObject *parent = nullptr);
    ~ChangeCycle() override;

    void start() { m_timer.start(); }
    bool isRunning() const { return m_timer.isActive(); }

    int changeInterval() const { return m_changeInterval; }
    void setChangeInterval(int minutes) { m_changeInterval = minutes; }
    int tickCount() const { return m_tickCount; }
    void setIntroRunning(bool running) { m_introRunning = running; }

    // While held (a message box or modal dialog is open) ticks are counted,
    // and a change that falls due runs once the last hold is released.
    void hold();
    void release();

    // One tick of the change timer.
    void tick();
    // Shows the entry stored as next and moves "NextFile" on.
    void advance();
    // Shows entry counter (entry 0 when out of range, and counter becomes 0).
    void setNextWallpaper(int &counter);
    // Leaves the desktop without a picture.
    void clearWallpaper();
    // The monitors changed: the entry on the desktop is composed again for them.
    void setMonitors(const QList<Monitor> &monitors);

    // The picture this run last put on the desktop; empty once cleared.
    QString currentPicture() const { return m_shown ? m_shown->filePath : QString(); }

    bool isChanging() const { return m_running != nullptr || m_pending.has_value(); }
    // For the ways out: drops what waits, and waits up to timeoutMs for the
    // change in flight. False when it is still running.
    bool finish(int timeoutMs);

Q_SIGNALS:
    // Every minute, whatever the tick then does.
    void ticked();
    // A change (or clearing) has ended and its result reached the list.
    void changeFinished(ChangeCycle::Outcome outcome);

private:
    // Redraw shows the entry on the desktop again, without a beep.
    enum class Kind { Advance, Show, Redraw, Clear };
    struct Job {
        Kind kind;
        int counter = 0;
    };

    void request(Job job);
    void startNext();
    void finished();
    void giveUp();
    void applyResult(const ChangeResult &result, Kind kind);
    void removeFound(const RemovedEntry &removed);
    void outputFailed(const QString &why);

    WallpaperList &m_list;
    SettingsStore &m_settings;
    WallpaperFiles &m_files;
    DesktopBackend &m_desktop;
    CycleHost &m_host;
    QList<Monitor> m_monitors;
    std::optional<WallpaperEntry> m_shown;
    QTimer m_timer;
    QTimer m_giveUp;
    QThreadPool *m_pool;
    int m_changeInterval = 0;
    int m_tickCount = 0;
    bool m_introRunning = false;
    int m_holds = 0;
    bool m_tickDue = false;
    bool m_showingResult = false;
    bool m_outputFailing = false;
    bool m_finished = false;

    std::optional<Job> m_pending;
    QFutureWatcher<ChangeResult> *m_running = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancelRunning;
    int m_runningNext = 0;
    Kind m_runningKind = Kind::Advance;
};
