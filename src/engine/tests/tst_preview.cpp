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
        const QRect all(0, 0, 184, 138);
        QTest::newRow("TN 300: cut at the edges") << DisplayMode::TN << QSize(300, 300) << all;
        QTest::newRow("TN 1000x700: strips stay black")
            << DisplayMode::TN << QSize(1000, 700) << QRect(0, 0, 180, 126);
        QTest::newRow("SP 1000x900")
            << DisplayMode::SP << QSize(1000, 900) << QRect(15, 0, 153, 138);
        QTest::newRow("SN 512x384: half to even")
            << DisplayMode::SN << QSize(512, 384) << QRect(46, 34, 92, 69);
        QTest::newRow("SN larger than the screen") << DisplayMode::SN << QSize(2048, 1536) << all;
        QTest::newRow("SS") << DisplayMode::SS << QSize(31, 977) << all;
        QTest::newRow("SN 1x1") << DisplayMode::SN << QSize(1, 1) << QRect(92, 69, 1, 1);
    }
    void layout() {
        QFETCH(DisplayMode, mode);
        QFETCH(QSize, picture);
        QImage solid(picture, QImage::Format_RGB32);
        solid.fill(Qt::red);
        QFETCH(QRect, expected);
        // A HiDPI window gets the same layout at its own pixels.
        for (const int ratio : {1, 2}) {
            const QImage preview = drawPreviewEffect(solid, picture, mode, Screen, ratio);
            QCOMPARE(preview.size(), QSize(184, 138) * ratio);
            QCOMPARE(preview.devicePixelRatio(), ratio);
            QCOMPARE(drawnArea(preview, qRgb(0, 0, 0)),
                     QRect(expected.topLeft() * ratio, expected.size() * ratio));
        }
    }

    void tiles_areCopiesOfOneScaledTile_data() {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("secondTile");
        // 46.36 preview pixels wide, drawn 46: the third tile follows without a gap.
        QTest::newRow("TN 258, third column")
            << DisplayMode::TN << QSize(258, 258) << QPoint(92, 0);
        QTest::newRow("TP 800x400") << DisplayMode::TP << QSize(800, 400) << QPoint(0, 92);
    }
    void tiles_areCopiesOfOneScaledTile() {
        QFETCH(DisplayMode, mode);
        QFETCH(QSize, picture);
        QFETCH(QPoint, secondTile);
        const QImage preview = drawPreviewEffect(gradientPicture(picture), picture, mode, Screen);
        // A tile placed one pixel off would not match the first one.
        QCOMPARE(preview.copy(QRect(secondTile, QSize(8, 8))), preview.copy(0, 0, 8, 8));
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"
