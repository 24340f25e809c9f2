#include "measurerun.h"

#include "picturejob.h"

#include <QTimer>

MeasureRun::MeasureRun(QObject *parent)
    : QObject(parent) {}

void MeasureRun::start(const QStringList &paths) {
    cancel();
    m_paths = paths;
    m_next = 0;
    m_running = true;
    if (m_paths.isEmpty()) {
        // Callers connect after starting as well: the end comes from the event loop.
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (generation == m_generation)
                measureNext();
        });
        return;
    }
    measureNext();
}

void MeasureRun::cancel() {
    ++m_generation;
    m_paths.clear();
    m_running = false;
}

void MeasureRun::measureNext() {
    if (m_next >= m_paths.size()) {
        m_running = false;
        m_paths.clear();
        Q_EMIT finished();
        return;
    }
    const int index = m_next++;
    const QString path = m_paths.at(index);
    runPictureJob(
        this, [path] { return measurePicture(path); },
        [this, index, path, generation = m_generation](std::optional<MeasuredPicture> picture) {
            if (generation != m_generation)
                return;
            Q_EMIT measured(index, picture.value_or(MeasuredPicture{
                                       path, {}, QStringLiteral("%1 does not answer.").arg(path)}));
            // A receiver may have cancelled or restarted the run meanwhile.
            if (generation == m_generation)
                measureNext();
        });
}
