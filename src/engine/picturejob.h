#pragma once

#include "picture.h"
#include "workerjob.h"

#include <QTimer>

#include <memory>
#include <optional>
#include <type_traits>

// Runs work that opens a picture on a worker and hands its result to done on
// receiver's thread. A path that does not answer within giveUpMs (a dead
// network share) counts as failed: done gets no value and the late result is
// dropped. Nothing is delivered once receiver is gone.
template <typename Work, typename Done>
void runPictureJob(QObject *receiver, Work work, Done done, int giveUpMs = Picture::GiveUpMs) {
    using Result = std::invoke_result_t<Work>;
    const auto deliver = std::make_shared<Done>(std::move(done));
    auto *watcher = runInWorker(receiver, std::move(work), [deliver](Result result) {
        (*deliver)(std::optional<Result>(std::move(result)));
    });
    auto *timer = new QTimer(watcher);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, receiver, [watcher, deliver] {
        // A finished result is on its way; otherwise the worker may stay
        // blocked for long and its result has no one to go to.
        if (watcher->isFinished())
            return;
        QObject::disconnect(watcher, nullptr, nullptr, nullptr);
        watcher->deleteLater();
        (*deliver)(std::nullopt);
    });
    timer->start(giveUpMs);
}
