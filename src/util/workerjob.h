#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>
#include <utility>

// The one way work leaves the UI thread: work runs on pool and done(result)
// runs on receiver's thread. Nothing is delivered once receiver is gone. The
// returned watcher belongs to receiver and deletes itself after delivering;
// callers may watch or disconnect it to give up.
template <typename Work, typename Done>
QFutureWatcher<std::invoke_result_t<Work>> *runInWorker(QThreadPool *pool, QObject *receiver,
                                                        Work work, Done done) {
    using Result = std::invoke_result_t<Work>;
    auto *watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         done(watcher->result());
                     });
    watcher->setFuture(QtConcurrent::run(pool, std::move(work)));
    return watcher;
}

// The same on the global thread pool.
template <typename Work, typename Done>
QFutureWatcher<std::invoke_result_t<Work>> *runInWorker(QObject *receiver, Work work, Done done) {
    return runInWorker(QThreadPool::globalInstance(), receiver, std::move(work), std::move(done));
}
