#include "preview.h"
#include "testimages.h"

#include <QTest>

namespace {

const QSize Screen(1024, 768);

} // namespace

// The preview is the screen at 184 x 138: where each mode lays the picture out.
class TestPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data() {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<QPoint>("tile"); // a later tile, to match the first one
        const QRect all(0, 0, 184, 138);
        // 46.36 preview pixels wide, drawn 46: the third tile follows without a gap.
        QTest::newRow("TN 258: cut at the edges")
            << DisplayMode::TN << QSize(258, 258) << all << QPoint(92, 0);
        QTest::newRow("TN 1000x700: strips stay black")
            << DisplayMode::TN << QSize(1000, 700) << QRect(0, 0, 180, 126) << QPoint();
        QTest::newRow("TP 800x400") << DisplayMode::TP << QSize(800, 400) << all << QPoint(0, 92);
        QTest::newRow("SP 1000x900")
            << DisplayMode::SP << QSize(1000, 900) << QRect(15, 0, 153, 138) << QPoint();
        QTest::newRow("SN 512x384: half to even")
            << DisplayMode::SN << QSize(512, 384) << QRect(46, 34, 92, 69) << QPoint();
        QTest::newRow("SN larger than the screen")
            << DisplayMode::SN << QSize(2048, 1536) << all << QPoint();
        QTest::newRow("SS") << DisplayMode::SS << QSize(31, 977) << all << QPoint();
        QTest::newRow("SN 1x1") << DisplayMode::SN << QSize(1, 1) << QRect(92, 69, 1, 1)
                                << QPoint();
    }
    void layout() {
        QFETCH(DisplayMode, mode);
        QFETCH(QSize, picture);
        QFETCH(QRect, expected);
        QFETCH(QPoint, tile);
        const QImage gradient = gradientPicture(picture);
        // A HiDPI window gets the same layout at its own pixels.
        for (const int ratio : {1, 2}) {
            const QImage preview = drawPreviewEffect(gradient, picture, mode, Screen, ratio);
            QCOMPARE(preview.size(), QSize(184, 138) * ratio);
            QCOMPARE(preview.devicePixelRatio(), ratio);
            QCOMPARE(drawnArea(preview, qRgb(0, 0, 0)),
                     QRect(expected.topLeft() * ratio, expected.size() * ratio));
            // A tile placed one pixel off would not match the first one.
            if (ratio == 1 && !tile.isNull())
                QCOMPARE(preview.copy(QRect(tile, QSize(8, 8))), preview.copy(0, 0, 8, 8));
        }
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"
