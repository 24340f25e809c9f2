#pragma once

#include "result.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>

// Opens a picture file for reading. Only regular files are opened: a FIFO,
// a device or a folder fails at once instead of blocking the reader for
// good. The file carries no name, so a QImageReader over it decides the
// format by the content alone, never by a misleading suffix.
// Opening a path on a dead network share can still block: call it where
// blocking is allowed (a worker) or give up on it after a while.
Result<std::unique_ptr<QFile>> openPictureFile(const QString &path);

// File-name patterns for every format the installed Qt image plugins read
// ("*.webp", "*.tif", "*.svg", ...), in lower and upper case: a file chooser
// matches names exactly, and cameras write "*.JPG".
QStringList pictureNamePatterns();
