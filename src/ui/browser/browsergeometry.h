#pragma once

#include <QRect>
#include <QString>

// Where the browser opens: where the user left it, moved and cut to fit the
// screen as it is now, or, the first time or after a value that cannot be
// read, centred at two thirds of the screen and never below its designed size.
QRect browserGeometry(const QString &stored, const QRect &available, QSize minimum);

// The geometry as it is kept between runs: "width x height +left +top".
QString browserGeometryText(const QRect &geometry);
