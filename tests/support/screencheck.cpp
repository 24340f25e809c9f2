#include "screencheck.h"

#include <QHash>
#include <QRect>

#include <cstdlib>

namespace {

const QSize PictureSize(200, 100);
// Panels and top bars sit along the top and bottom edges; desktop icons in a
// column on the left. A few wrong points are those; a wrong picture is many.
const int TopMargin = 48, BottomMargin = 64;
const double AllowedWrong = 0.05;

bool near(QRgb a, const QColor &b) {
    return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) +
               std::abs(qBlue(a) - b.blue()) <
           60;
}

QList<QPoint> samplePoints(QSize screen) {
    QList<QPoint> points;
    for (int y = TopMargin; y < screen.height() - BottomMargin; y += 19)
        for (int x = 5; x < screen.width() - 5; x += 23)
            points.append(QPoint(x, y));
    return points;
}

QString describe(QRgb colour) {
    return QColor(colour).name();
}

struct Tally {
    int total = 0;
    int wrong = 0;
    QString example;

    void count(bool right, QPoint at, QRgb got, const QString &wanted) {
        ++total;
        if (right)
            return;
        if (wrong++ == 0)
            example = QStringLiteral("%1,%2 is %3, not %4")
                          .arg(at.x())
                          .arg(at.y())
                          .arg(describe(got), wanted);
    }
    bool fails() const { return total > 0 && wrong > total * AllowedWrong; }
    QString why(const QString &region) const {
        return QStringLiteral("%1: %2 of %3 points wrong (%4)")
            .arg(region)
            .arg(wrong)
            .arg(total)
            .arg(example);
    }
};

QRect pictureRect(const QString &mode, QSize screen) {
    if (mode == QLatin1String("stretch"))
        return QRect(QPoint(0, 0), screen);
    const QSize size = mode == QLatin1String("proportional")
                           ? PictureSize.scaled(screen, Qt::KeepAspectRatio)
                           : PictureSize;
    return QRect(QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2),
                 size);
}

// Centred, stretched or proportional: each half where it belongs, nothing of
// the picture outside it.
QString checkPlaced(const QImage &shot, const ScreenExpectation &expected) {
    const QRect picture = pictureRect(expected.mode, shot.size());
    const int middle = picture.left() + picture.width() / 2;
    Tally left, right, outside;
    for (const QPoint &at : samplePoints(shot.size())) {
        const QRgb got = shot.pixel(at);
        if (picture.adjusted(4, 4, -4, -4).contains(at) && std::abs(at.x() - middle) > 4) {
            const QColor &want = at.x() < middle ? expected.left : expected.right;
            (at.x() < middle ? left : right).count(near(got, want), at, got, want.name());
        } else if (!picture.adjusted(-4, -4, 4, 4).contains(at)) {
            outside.count(!near(got, expected.left) && !near(got, expected.right), at, got,
                          QStringLiteral("background"));
        }
    }
    // A centred picture is small: check that the sampling reached it.
    if (left.total == 0 || right.total == 0)
        return QStringLiteral("no sample point inside the picture");
    for (const auto &[tally, region] :
         {std::pair{&left, "left half"}, {&right, "right half"}, {&outside, "outside the picture"}})
        if (tally->fails())
            return tally->why(QLatin1String(region));
    return {};
}

// Tiles may start anywhere: the screen is the two colours only, both in
// quantity, and repeats every picture width.
QString checkTiled(const QImage &shot, const ScreenExpectation &expected) {
    Tally colours, period;
    int lefts = 0, rights = 0;
    for (const QPoint &at : samplePoints(shot.size())) {
        const QRgb got = shot.pixel(at);
        const bool isLeft = near(got, expected.left), isRight = near(got, expected.right);
        lefts += isLeft;
        rights += isRight;
        colours.count(isLeft || isRight, at, got, QStringLiteral("a tile"));
        const QPoint next = at + QPoint(PictureSize.width(), 0);
        if (next.x() < shot.width())
            period.count(shot.pixel(next) == got, at, got, describe(shot.pixel(next)));
    }
    if (colours.fails())
        return colours.why(QStringLiteral("tiles"));
    if (period.fails())
        return period.why(QStringLiteral("tile period"));
    if (lefts < colours.total / 3 || rights < colours.total / 3)
        return QStringLiteral("tiles: %1 left and %2 right points of %3")
            .arg(lefts)
            .arg(rights)
            .arg(colours.total);
    return {};
}

// The most frequent colour among the points.
QRgb commonColour(const QImage &shot, const QList<QPoint> &points) {
    QHash<QRgb, int> counts;
    QRgb common = 0;
    for (const QPoint &at : points)
        if (++counts[shot.pixel(at)] > counts.value(common))
            common = shot.pixel(at);
    return common;
}

// Every line of points (rows, or columns) in one colour each.
Tally lineTally(const QImage &shot, const QList<QPoint> &points, bool rows) {
    QHash<int, QList<QPoint>> lines;
    for (const QPoint &at : points)
        lines[rows ? at.y() : at.x()].append(at);
    Tally tally;
    for (const QList<QPoint> &line : std::as_const(lines)) {
        const QColor colour(commonColour(shot, line));
        for (const QPoint &at : line)
            tally.count(near(shot.pixel(at), colour), at, shot.pixel(at), colour.name());
    }
    return tally;
}

// No picture: the desktop's own colour, plain or a gradient (MATE's default),
// and none of the pictures' colours anywhere.
QString checkPlain(const QImage &shot, const ScreenExpectation &expected) {
    const QList<QPoint> points = samplePoints(shot.size());
    Tally foreign;
    for (const QPoint &at : points) {
        bool pictureColour = false;
        for (const QColor &colour : expected.pictureColours)
            pictureColour = pictureColour || near(shot.pixel(at), colour);
        foreign.count(!pictureColour, at, shot.pixel(at), QStringLiteral("no picture's colour"));
    }
    if (foreign.fails())
        return foreign.why(QStringLiteral("plain colour"));
    const Tally rows = lineTally(shot, points, true), columns = lineTally(shot, points, false);
    if (rows.fails() && columns.fails())
        return rows.why(QStringLiteral("plain colour or gradient"));
    return {};
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
    if (expected.mode == QLatin1String("tile"))
        return checkTiled(pixels, expected);
    return checkPlaced(pixels, expected);
}
