#include "singleinstance.h"

#include <QDir>

#include <unistd.h>

namespace {

QString lockPath(const QString &folder) {
    // The store's folder does not exist before the first run has saved.
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("Rotafond-%1.lock").arg(getuid()));
}

} // namespace

SingleInstance::SingleInstance(const QString &lockFolder)
    : m_lock(lockPath(lockFolder)) {
    // The program runs for days: never judge a live lock by its age.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire() {
    return m_lock.tryLock(0);
}
