#include "singleinstance.h"

#include <QDir>

#include <unistd.h>

SingleInstance::SingleInstance(const QString &runtimeFolder)
    : m_lock(QDir(runtimeFolder).filePath(QStringLiteral("Rotafond-%1.lock").arg(getuid()))) {
    // The program runs for days: never judge a live lock by its age.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire() {
    return m_lock.tryLock(0);
}
