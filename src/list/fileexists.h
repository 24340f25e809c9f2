#pragma once

#include <QString>

// True when path names an existing, readable regular file (links are followed).
// One trailing "/" is ignored; folders, broken links and "" are not files.
bool fileExists(const QString &path);

// True only when we can be sure the file is gone: its folder is there and
// readable and the file is not in it. A file on an unmounted drive or a share
// that is not up yet is merely unreachable, not gone.
bool fileIsDefinitelyGone(const QString &path);
