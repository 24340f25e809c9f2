#include "screencheck.h"

#include <QHash>
#include <QRect>

#include <algorithm>
#include <cstdlib>

namespace {

const QSize PictureSize(200, 100);
// Panels and top bars sit along the top and bottom edges, desktop icons in a
// column on the left: a few wrong points are those, a wrong picture is many.
const int TopMargin = 48, BottomMargin = 64;

bool near(QRgb a, const QColor &b) {
    return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) +
               std::abs(qBlue(a) - b.blue()) <
           60;
}

// Right and wrong points of a region; why() is empty unless over 5 % are wrong.
struct Tally {
    int total = 0, wrong = 0;
    QString example;
    void count(bool right, QPoint at, QRgb got) {
        ++total;
        if (!right && wrong++ == 0)
            example = QStringLiteral("%1,%2 is %3").arg(at.x()).arg(at.y()).arg(QColor(got).name());
    }
    QString why(const char *region) const {
        if (wrong <= total * 0.05)
            return {};
        return QStringLiteral("%1: %2 of %3 points wrong (%4)")
            .arg(QLatin1String(region))
            .arg(wrong)
            .arg(total)
            .arg(example);
    }
};

QList<QPoint> samplePoints(QSize screen) {
    QList<QPoint> points;
    for (int y = TopMargin; y < screen.height() - BottomMargin; y += 19)
        for (int x = 5; x < screen.width() - 5; x += 23)
            points.append(QPoint(x, y));
    return points;
}

// Centred, stretched or proportional: each half where it belongs, nothing of
// the picture outside it.
QString checkPlaced(const QImage &shot, const ScreenExpectation &expected) {
    QSize size = expected.mode == QLatin1String("stretch") ? shot.size() : PictureSize;
    if (expected.mode == QLatin1String("proportional"))
        size = PictureSize.scaled(shot.size(), Qt::KeepAspectRatio);
    const QRect picture(
        QPoint((shot.width() - size.width()) / 2, (shot.height() - size.height()) / 2), size);
    const int middle = picture.left() + picture.width() / 2;
    Tally left, right, outside;
    for (const QPoint &at : samplePoints(shot.size())) {
        const QRgb got = shot.pixel(at);
        if (picture.adjusted(4, 4, -4, -4).contains(at) && std::abs(at.x() - middle) > 4)
            (at.x() < middle ? left : right)
                .count(near(got, at.x() < middle ? expected.left : expected.right), at, got);
        else if (!picture.adjusted(-4, -4, 4, 4).contains(at))
            outside.count(!near(got, expected.left) && !near(got, expected.right), at, got);
    }
    // A centred picture is small: check that the sampling reached it.
    if (left.total == 0 || right.total == 0)
        return QStringLiteral("no sample point inside the picture");
    return left.why("left half") + right.why("right half") + outside.why("outside the picture");
}

// Tiles may start anywhere: the screen is the two colours only, both in
// quantity, and repeats every picture width.
QString checkTiled(const QImage &shot, const ScreenExpectation &expected) {
    Tally colours, period;
    int lefts = 0, rights = 0;
    for (const QPoint &at : samplePoints(shot.size())) {
        const QRgb got = shot.pixel(at);
        lefts += near(got, expected.left);
        rights += near(got, expected.right);
        colours.count(near(got, expected.left) || near(got, expected.right), at, got);
        if (at.x() + PictureSize.width() < shot.width())
            period.count(shot.pixel(at.x() + PictureSize.width(), at.y()) == got, at, got);
    }
    if (lefts < colours.total / 3 || rights < colours.total / 3)
        return QStringLiteral("tiles: %1 left and %2 right points of %3")
            .arg(lefts)
            .arg(rights)
            .arg(colours.total);
    return colours.why("tiles") + period.why("tile period");
}

// Each line of points (rows, or columns) in its own most frequent colour.
Tally lineTally(const QImage &shot, const QList<QPoint> &points, bool rows) {
    QHash<int, QHash<QRgb, int>> counts;
    for (const QPoint &at : points)
        ++counts[rows ? at.y() : at.x()][shot.pixel(at)];
    Tally tally;
    for (const QPoint &at : points) {
        const QHash<QRgb, int> &line = counts[rows ? at.y() : at.x()];
        const QRgb common =
            std::max_element(line.keyValueBegin(), line.keyValueEnd(), [](auto a, auto b) {
                return a.second < b.second;
            })->first;
        tally.count(near(shot.pixel(at), QColor(common)), at, shot.pixel(at));
    }
    return tally;
}

// No picture: the desktop's own colour, plain or a gradient (MATE's default),
// and none of the pictures' colours anywhere.
QString checkPlain(const QImage &shot, const ScreenExpectation &expected) {
    const QList<QPoint> points = samplePoints(shot.size());
    Tally foreign;
    for (const QPoint &at : points)
        foreign.count(
            std::none_of(expected.pictureColours.begin(), expected.pictureColours.end(),
                         [&](const QColor &colour) { return near(shot.pixel(at), colour); }),
            at, shot.pixel(at));
    const QString rows = lineTally(shot, points, true).why("plain colour or gradient");
    return foreign.why("plain colour") +
           (lineTally(shot, points, false).why("").isEmpty() ? QString() : rows);
}

} // namespace

QImage twoColourPicture(const QColor &left, const QColor &right) {
    QImage image(PictureSize, QImage::Format_RGB32);
    image.fill(right);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() / 2; ++x)
            image.setPixel(x, y, left.rgb());
    return image;
}

QString checkScreen(const QImage &shot, const ScreenExpectation &expected) {
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    const QImage pixels = shot.convertToFormat(QImage::Format_RGB32);
    if (expected.mode == QLatin1String("clear"))
        return checkPlain(pixels, expected);
    return expected.mode == QLatin1String("tile") ? checkTiled(pixels, expected)
                                                  : checkPlaced(pixels, expected);
}
