#pragma once

#include "addfile.h"

#include <QObject>
#include <QStringList>

// Measures picture files for the list one after another on a worker, so
// neither a slow disk nor a path that never answers holds up the UI thread.
// A file that does not answer within Picture::GiveUpMs is refused and the
// run goes on with the next one. Results arrive in the order of the paths.
class MeasureRun : public QObject {
    Q_OBJECT

public:
    explicit MeasureRun(QObject *parent = nullptr);

    // Starts measuring paths; a run still going is dropped.
    void start(const QStringList &paths);
    // Nothing more is reported for the run going on.
    void cancel();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void measured(int index, const MeasuredPicture &picture);
    void finished();

private:
    void measureNext();

    QStringList m_paths;
    int m_next = 0;
    int m_generation = 0;
    bool m_running = false;
};
