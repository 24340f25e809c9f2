#include "thumbnailrun.h"

#include "workerjob.h"

#include <QThreadPool>
#include <QTimer>

#include <algorithm>

ThumbnailRun::ThumbnailRun(QString folder, QStringList names, ThumbnailCache cache, QSize canvas,
                           QColor background, QThreadPool &pool, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_names(std::move(names))
    , m_cache(std::move(cache))
    , m_canvas(canvas)
    , m_background(background)
    , m_pool(pool)
    , m_cancelled(std::make_shared<std::atomic_bool>(false)) {}

ThumbnailRun::~ThumbnailRun() {
    m_cancelled->store(true);
}

QThreadPool &ThumbnailRun::defaultPool() {
    static QThreadPool pool;
    return pool;
}

void ThumbnailRun::start() {
    submitAhead();
    QTimer::singleShot(0, this, &ThumbnailRun::advance);
}

void ThumbnailRun::stop() {
    m_stopping = true;
    if (m_announced && !m_done)
        QTimer::singleShot(0, this, &ThumbnailRun::advance);
}

void ThumbnailRun::submitAhead() {
    // A few files per core ahead: enough to keep every core busy, few enough
    // that Stop or closing the window leaves little work behind.
    const int ahead = std::max(4, 3 * m_pool.maxThreadCount());
    while (m_submitted < m_names.size() && m_submitted < m_current + ahead) {
        const int index = m_submitted++;
        const QString path = m_folder + m_names.at(index);
        // The results come back through watchers owned by the run: once it
        // is gone, nothing reaches it.
        runInWorker(
            &m_pool, this,
            [path, cache = m_cache, canvas = m_canvas, background = m_background,
             cancelled = m_cancelled] {
                return cancelled->load() ? Thumbnail()
                                         : makeThumbnail(path, cache, canvas, background);
            },
            [this, index](const Thumbnail &thumbnail) { received(index, thumbnail); });
    }
}

void ThumbnailRun::received(int index, const Thumbnail &thumbnail) {
    m_ready.insert(index, thumbnail);
    if (index == m_current && m_announced)
        advance();
}

void ThumbnailRun::advance() {
    if (m_done)
        return;
    if (m_current >= m_names.size() || (m_stopping && m_announced)) {
        m_done = true;
        m_cancelled->store(true);
        Q_EMIT finished();
        return;
    }
    if (!m_announced) {
        m_announced = true;
        Q_EMIT fileStarted(m_current, m_names.at(m_current));
        // One pass of the event loop while this file's turn shows, so a
        // Stop pressed now ends the run before it.
        if (m_ready.contains(m_current))
            QTimer::singleShot(0, this, &ThumbnailRun::advance);
        return;
    }
    if (!m_ready.contains(m_current))
        return; // received() calls again
    const Thumbnail thumbnail = m_ready.take(m_current);
    if (thumbnail.ok)
        Q_EMIT thumbnailMade(m_current, m_names.at(m_current), thumbnail.canvas);
    ++m_current;
    m_announced = false;
    submitAhead();
    QTimer::singleShot(0, this, &ThumbnailRun::advance);
}
