#include "changecycle.h"

#include "cyclehost.h"
#include "displaymode.h"
#include "drawing.h"
#include "fileexists.h"
#include "picture.h"
#include "settingsstore.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QScopedValueRollback>

ChangeCycle::ChangeCycle(WallpaperList &list, SettingsStore &settings, WallpaperFiles &files,
                         DesktopBackend &desktop, CycleHost &host, QSize screenSize,
                         QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_settings(settings)
    , m_files(files)
    , m_desktop(desktop)
    , m_host(host)
    , m_screenSize(screenSize) {
    m_timer.setInterval(TickMs);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ChangeCycle::tick);
    connect(&m_timer, &QTimer::timeout, this, &ChangeCycle::ticked);
}

void ChangeCycle::hold() {
    ++m_holds;
}

void ChangeCycle::release() {
    if (m_holds > 0 && --m_holds == 0 && m_tickDeferred) {
        m_tickDeferred = false;
        QMetaObject::invokeMethod(this, &ChangeCycle::tick, Qt::QueuedConnection);
    }
}

void ChangeCycle::tick() {
    if (m_introRunning)
        return;
    // A tick while our own change shows a message must not start another
    // change (or stack a second message) inside it.
    if (m_changing)
        return;
    if (m_holds > 0) {
        m_tickDeferred = true;
        return;
    }
    countTick();
}

void ChangeCycle::countTick() {
    ++m_tickCount;
    if (m_tickCount < m_changeInterval)
        return;
    m_tickCount = 0;
    advance();
}

ChangeCycle::Outcome ChangeCycle::advance() {
    const int next = m_settings.read(SettingsKeys::NextFile);
    m_settings.write(SettingsKeys::NextFile, next + 2 > m_list.count() ? 0 : next + 1);
    int counter = next;
    return setNextWallpaper(counter);
}

ChangeCycle::Outcome ChangeCycle::setNextWallpaper(int &counter) {
    const QScopedValueRollback changing(m_changing, true);
    if (!m_list.isValidPosition(counter)) {
        if (m_list.isEmpty()) {
            m_host.showEmptyListMessage();
            return Outcome::EmptyList;
        }
        counter = 0;
    }
    const WallpaperEntry entry = m_list.at(counter);
    if (!fileExists(entry.filePath))
        // A file on a drive that is not mounted yet is skipped, not removed.
        return tryNextAfterFailure(counter, fileIsDefinitelyGone(entry.filePath));
    QString error;
    const QImage picture = Picture::load(entry.filePath, &error);
    if (picture.isNull())
        return tryNextAfterFailure(counter, true);

    const Composition composition = compositionFor(entry);
    const QImage bitmap =
        composition.proportional ? composeProportional(picture, m_screenSize) : picture;
    const ApplyResult applied = showBitmap(bitmap, composition.style);
    if (!applied.ok) {
        outputFailed(applied.error);
        return Outcome::OutputFailed;
    }
    m_outputFailing = false;
    m_failuresInARow = 0;
    if (m_host.beepEnabled())
        m_host.beep();
    return Outcome::Shown;
}

ChangeCycle::Outcome ChangeCycle::tryNextAfterFailure(int counter, bool removeEntry) {
    if (removeEntry)
        m_host.removeEntry(counter);
    // Unreachable entries stay; once every entry has failed in a row, stop
    // until the next tick instead of going round forever.
    if (++m_failuresInARow > m_list.count()) {
        m_failuresInARow = 0;
        return Outcome::EntryFailed;
    }
    m_tickCount = m_changeInterval;
    {
        const QScopedValueRollback changing(m_changing, false);
        if (!m_introRunning)
            countTick();
    }
    return Outcome::EntryFailed;
}

void ChangeCycle::outputFailed(const QString &why) {
    m_failuresInARow = 0;
    if (m_outputFailing)
        return;
    m_outputFailing = true;
    m_host.reportChangeFailure(why);
}

ApplyResult ChangeCycle::applyWallpaper(const QString &styleText, const QImage &bitmap) {
    const WallpaperStyle style = styleFromText(styleText);
    if (style == WallpaperStyle::Clear)
        return m_desktop.apply(QString(), QImage(), style);
    return showBitmap(bitmap, style);
}

ApplyResult ChangeCycle::showBitmap(const QImage &bitmap, WallpaperStyle style) {
    QString error;
    if (!m_files.writeBitmap(bitmap, &error))
        return ApplyResult::failure(error);
    QString path = m_files.bitmapPath();
    if (m_desktop.wantsFreshFileName())
        path = m_files.freshlyNamedCopy(&error);
    if (path.isEmpty())
        return ApplyResult::failure(error);
    return m_desktop.apply(path, bitmap, style);
}
