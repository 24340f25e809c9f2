#pragma once

#include "thumbnailcache.h"
#include "thumbnailmaker.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class QThreadPool;

// One pass over a folder's files: the thumbnails are made on a worker pool,
// a few files ahead, and handed over one file at a time in folder order with
// a pass of the event loop between files, so that what the user sees is the
// same as making them one by one. Destroying the run cancels the work that
// has not started; files in progress finish in the background and are dropped.
class ThumbnailRun : public QObject {
    Q_OBJECT

public:
    ThumbnailRun(QString folder, QStringList names, ThumbnailCache cache, QSize canvas,
                 QColor background, QThreadPool &pool, QObject *parent = nullptr);
    ~ThumbnailRun() override;

    void start();
    // Ends the run before the file whose turn it is.
    void stop();

    static QThreadPool &defaultPool();

Q_SIGNALS:
    // File index's turn has come; its thumbnail follows unless the run stops.
    void fileStarted(int index, const QString &name);
    void thumbnailMade(int index, const QString &name, const QImage &canvas);
    void finished();

private:
    void submitAhead();
    void advance();
    void received(int index, const Thumbnail &thumbnail);

    QString m_folder;
    QStringList m_names;
    ThumbnailCache m_cache;
    QSize m_canvas;
    QColor m_background;
    QThreadPool &m_pool;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    QHash<int, Thumbnail> m_ready;
    int m_submitted = 0;
    int m_current = 0;
    bool m_announced = false;
    bool m_stopping = false;
    bool m_done = false;
};
