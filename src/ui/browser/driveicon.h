#pragma once

#include "drives.h"

#include <QIcon>

class QStyle;

// The drive list's picture of a volume: the desktop theme's icon for its
// kind, or the style's own when the theme has none.
QIcon driveIcon(const Drives::Volume &volume, const QStyle &style);

// What the user is asked before the browser opens a CD-ROM, removable or
// network drive, whose pictures may not stay.
QString driveWarning(Drives::Type type);
