#pragma once

#include <QByteArray>
#include <QString>

struct AtomicWriteResult {
    bool ok = false;
    QString reason; // in words, such as "No space left on device"; empty on success
};

// Replaces the file at path with data in one step: the data goes into a new
// file beside it, reaches the disk, and only then takes the old one's place.
// Every write, the flush to the disk, the close and the rename are checked;
// on any failure the old file stays exactly as it was. Missing folders are
// created; a file the user made read-only is left alone. A link is written
// through, not replaced.
AtomicWriteResult writeFileAtomically(const QString &path, const QByteArray &data);
