#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Judges a screenshot against what a 200x100 two-colour picture must look like
// in a display mode: "tile", "center", "stretch", "proportional", or "clear"
// for the desktop's own colour (plain or a gradient) without any picture.
struct ScreenExpectation {
    QString mode;
    QColor left;
    QColor right;
    QList<QColor> pictureColours; // every colour the run's pictures use (for "clear")
};

// The picture every step shows: left half one colour, right half another.
QImage twoColourPicture(const QColor &left, const QColor &right);

// Empty when the screenshot shows the expectation, else why not.
QString checkScreen(const QImage &shot, const ScreenExpectation &expected);
