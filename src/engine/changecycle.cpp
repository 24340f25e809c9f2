#include "changecycle.h"

#include "cyclehost.h"
#include "settingsstore.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QScopedValueRollback>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

ChangeCycle::ChangeCycle(WallpaperList &list, SettingsStore &settings, WallpaperFiles &files,
                         DesktopBackend &desktop, CycleHost &host, QList<Monitor> monitors,
                         QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_settings(settings)
    , m_files(files)
    , m_desktop(desktop)
    , m_host(host)
    , m_monitors(std::move(monitors))
    , m_pool(new QThreadPool) {
    // Changes run one at a time; the spare threads serve the changes that
    // follow one stuck on a path that does not answer.
    m_pool->setMaxThreadCount(4);
    m_timer.setInterval(TickMs);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ChangeCycle::tick);
    connect(&m_timer, &QTimer::timeout, this, &ChangeCycle::ticked);
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(GiveUpMs);
    connect(&m_giveUp, &QTimer::timeout, this, &ChangeCycle::giveUp);
}

ChangeCycle::~ChangeCycle() {
    // The ways out have waited already; do not wait a second time.
    if (finish(m_finished ? 0 : 1500))
        delete m_pool;
    // Otherwise a worker hangs in the kernel on a dead path; waiting for it
    // would keep the program from ending, so the pool is left to the exit.
}

void ChangeCycle::hold() {
    ++m_holds;
}

void ChangeCycle::release() {
    if (m_holds > 0 && --m_holds == 0 && m_tickDue) {
        m_tickDue = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_introRunning && m_holds == 0 && m_tickCount >= m_changeInterval) {
                    m_tickCount = 0;
                    advance();
                }
            },
            Qt::QueuedConnection);
    }
}

void ChangeCycle::tick() {
    if (m_introRunning)
        return;
    // Minutes count while a dialog is open too; only the change waits.
    ++m_tickCount;
    if (m_tickCount < m_changeInterval)
        return;
    if (m_holds > 0 || m_showingResult) {
        // A message of our own change must not be followed by another at once.
        m_tickDue = m_tickDue || !m_showingResult;
        return;
    }
    m_tickCount = 0;
    advance();
}

void ChangeCycle::advance() {
    request({Kind::Advance});
}

void ChangeCycle::setNextWallpaper(int &counter) {
    if (!m_list.isValidPosition(counter) && !m_list.isEmpty())
        counter = 0;
    request({Kind::Show, counter});
}

void ChangeCycle::clearWallpaper() {
    request({Kind::Clear});
}

void ChangeCycle::setMonitors(const QList<Monitor> &monitors) {
    if (monitors == m_monitors)
        return;
    m_monitors = monitors;
    const int position = m_shown ? int(m_list.entries().indexOf(*m_shown)) : -1;
    if (position >= 0 && !m_introRunning)
        request({Kind::Redraw, position});
}

void ChangeCycle::request(Job job) {
    if (m_running)
        m_cancelRunning->store(true);
    m_pending = job;
    startNext();
}

void ChangeCycle::startNext() {
    if (m_running || !m_pending || m_showingResult)
        return;
    const Job job = *m_pending;
    m_pending.reset();
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    QFuture<ChangeResult> future;
    if (job.kind == Kind::Clear) {
        future = QtConcurrent::run(m_pool, [&desktop = m_desktop, cancelled] {
            ChangeResult result;
            if (*cancelled) {
                result.outcome = ChangeOutcome::Superseded;
                return result;
            }
            const Result<void> cleared = desktop.clear();
            result.outcome = cleared ? ChangeOutcome::Shown : ChangeOutcome::OutputFailed;
            result.error = cleared.error();
            return result;
        });
    } else {
        int counter = job.counter;
        if (job.kind == Kind::Advance) {
            counter = m_settings.read(SettingsKeys::NextFile);
            m_settings.write(SettingsKeys::NextFile,
                             counter + 2 > m_list.count() ? 0 : counter + 1);
        }
        ChangeRequest request{m_list.entries(), counter, m_settings.read(SettingsKeys::NextFile),
                              !m_introRunning, m_monitors};
        m_runningNext = request.next;
        future = QtConcurrent::run(
            m_pool, [request = std::move(request), &files = m_files, &desktop = m_desktop,
                     cancelled] { return runChange(request, files, desktop, *cancelled); });
    }
    m_runningKind = job.kind;
    m_cancelRunning = cancelled;
    m_running = new QFutureWatcher<ChangeResult>(this);
    connect(m_running, &QFutureWatcher<ChangeResult>::finished, this, &ChangeCycle::finished);
    m_running->setFuture(future);
    m_giveUp.start();
}

void ChangeCycle::finished() {
    auto *watcher = static_cast<QFutureWatcher<ChangeResult> *>(sender());
    watcher->deleteLater();
    if (watcher != m_running)
        return; // given up on long ago
    m_running = nullptr;
    m_giveUp.stop();
    const ChangeResult result = watcher->result();
    if (result.outcome != ChangeOutcome::Superseded)
        applyResult(result, m_runningKind);
    Q_EMIT changeFinished(result.outcome);
    startNext();
}

void ChangeCycle::giveUp() {
    // The worker stays blocked on a path that does not answer: let it go, and
    // make sure it touches nothing if it ever wakes.
    m_cancelRunning->store(true);
    m_running = nullptr;
    outputFailed(QStringLiteral("a picture or the desktop did not answer within %1 seconds.")
                     .arg(GiveUpMs / 1000));
    Q_EMIT changeFinished(ChangeOutcome::OutputFailed);
    startNext();
}

void ChangeCycle::applyResult(const ChangeResult &result, Kind kind) {
    const QScopedValueRollback showing(m_showingResult, true);
    if (kind == Kind::Clear) {
        if (result.outcome == ChangeOutcome::OutputFailed)
            m_host.reportChangeFailure(result.error);
        else
            m_shown.reset();
        return;
    }
    for (const RemovedEntry &removed : result.removed)
        removeFound(removed);
    if (result.next != m_runningNext)
        m_settings.write(SettingsKeys::NextFile, result.next);
    switch (result.outcome) {
    case ChangeOutcome::Shown:
        m_outputFailing = false;
        m_shown = result.shown;
        if (kind != Kind::Redraw && m_host.beepEnabled())
            m_host.beep();
        break;
    case ChangeOutcome::EmptyList:
        m_host.showEmptyListMessage();
        break;
    case ChangeOutcome::OutputFailed:
        outputFailed(result.error);
        break;
    case ChangeOutcome::EntryFailed:
    case ChangeOutcome::Superseded:
        break;
    }
}

void ChangeCycle::removeFound(const RemovedEntry &removed) {
    // The list may have been edited while the change ran: find the entry again.
    int position = removed.position;
    if (!m_list.isValidPosition(position) || m_list.at(position) != removed.entry)
        position = int(m_list.entries().indexOf(removed.entry));
    if (position >= 0)
        m_host.removeEntry(position);
}

void ChangeCycle::outputFailed(const QString &why) {
    if (m_outputFailing)
        return;
    m_outputFailing = true;
    m_host.reportChangeFailure(why);
}

bool ChangeCycle::finish(int timeoutMs) {
    m_finished = true;
    m_pending.reset();
    m_giveUp.stop();
    if (m_cancelRunning)
        m_cancelRunning->store(true);
    if (m_running) {
        m_running->disconnect(this);
        m_running = nullptr;
    }
    return m_pool->waitForDone(timeoutMs);
}
