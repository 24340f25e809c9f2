#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

// Replaces the file at path with data in one step: the data goes into a new
// file beside it, reaches the disk, and only then takes the old one's place.
// Every write, the flush to the disk, the close and the rename are checked;
// on any failure the old file stays exactly as it was. Missing folders are
// created; a file the user made read-only is left alone. A link is written
// through, not replaced. A failure says why in words ("No space left on device").
Result<void> writeFileAtomically(const QString &path, const QByteArray &data);
