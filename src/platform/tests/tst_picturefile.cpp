#include "picturefile.h"

#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestPictureFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void installedFormats_areOfferedAndRead_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("camera JPEG") << "IMG_0001.JPG" << QByteArray("jpeg");
        QTest::newRow("WebP") << "photo.webp" << QByteArray("webp");
        QTest::newRow("TIFF") << "scan.tif" << QByteArray("tiff");
        QTest::newRow("SVG") << "drawing.svg" << QByteArray("svg");
        QTest::newRow("PNG") << "shot.png" << QByteArray("png");
    }

    void installedFormats_areOfferedAndRead() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        // The plugins are the package's dependencies: a missing one is a fault here.
        QVERIFY2(QImageReader::supportedImageFormats().contains(format),
                 "no Qt image plugin for this format is installed");
        // Matched as a file chooser does on Linux: letter case counts.
        bool offered = false;
        for (const QString &pattern : pictureNamePatterns())
            offered = offered || QRegularExpression::fromWildcard(pattern).match(name).hasMatch();
        QVERIFY2(offered, qPrintable(name + " is not offered"));

        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(format == "svg" ? file.write("<svg xmlns='http://www.w3.org/2000/svg' width='40' "
                                             "height='30'><rect width='40' height='30'/></svg>") > 0
                                : image.save(&file, format.constData()));
        file.close();
        const Result<std::unique_ptr<QFile>> opened = openPictureFile(file.fileName());
        QVERIFY2(opened, qPrintable(opened.error()));
        QCOMPARE(QImageReader(opened->get()).read().size(), QSize(40, 30));
    }
};

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
