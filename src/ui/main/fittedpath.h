#pragma once

#include <QString>

class QFontMetrics;

// A path as a list row of width pixels shows it: too long, it gives up its
// folders first, then all of them, for the file's own name is what tells
// the entries apart; a name still too long is left for the view to shorten.
QString fittedPath(const QString &path, const QFontMetrics &metrics, int width);
