#pragma once

#include <QLockFile>

// One running copy per user. The lock records our process id, so a lock left
// behind by a crash is recognised as stale and taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockFolder);

    // False when another running copy holds the lock.
    bool tryAcquire();

private:
    QLockFile m_lock;
};
