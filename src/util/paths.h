#pragma once

#include <QString>

// Ensures exactly one trailing "/" ("" gives "/"). The name comes from the
// platform whose separator was a backslash.
QString addBackslash(const QString &path);
