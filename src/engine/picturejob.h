#pragma once

#include "picture.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <optional>
#include <type_traits>

// Runs work that opens a picture on the thread pool and hands its result to
// done on receiver's thread. A path that does not answer within giveUpMs (a
// dead network share) counts as failed: done gets no value and the late
// result is dropped. Nothing is delivered once receiver is gone.
template <typename Work, typename Done>
void runPictureJob(QObject *receiver, Work work, Done done, int giveUpMs = Picture::GiveUpMs) {
    using Result = std::invoke_result_t<Work>;
    auto *watcher = new QFutureWatcher<Result>(receiver);
    auto *timer = new QTimer(watcher);
    timer->setSingleShot(true);
    const auto deliver = std::make_shared<Done>(std::move(done));
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver, [watcher, timer, deliver] {
        timer->stop();
        watcher->deleteLater();
        (*deliver)(std::optional<Result>(watcher->result()));
    });
    QObject::connect(timer, &QTimer::timeout, receiver, [watcher, deliver] {
        // The worker may stay blocked for long; its result has no one to go to.
        QObject::disconnect(watcher, nullptr, nullptr, nullptr);
        watcher->deleteLater();
        (*deliver)(std::nullopt);
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
    timer->start(giveUpMs);
}
