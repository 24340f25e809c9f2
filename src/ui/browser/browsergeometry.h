#pragma once

#include <QRect>
#include <QString>

#include <optional>

// The geometry as it is kept between runs: "width x height +left +top",
// left and top being where the window's frame starts.
QString browserGeometryText(const QRect &geometry);
// The kept geometry, or nothing for a value that cannot be read.
std::optional<QRect> readBrowserGeometry(const QString &text);

// Where the browser opens: where the user left it, moved and cut to fit the
// screen as it is now, or, the first time, centred at two thirds of the
// screen and never below its designed size.
QRect browserGeometry(const std::optional<QRect> &kept, const QRect &available, QSize minimum);
