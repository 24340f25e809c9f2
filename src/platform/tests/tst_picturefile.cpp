#include "picturefile.h"

#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// As a file chooser matches on Linux: letter case counts.
bool offered(const QString &name) {
    const QStringList patterns = pictureNamePatterns();
    return std::any_of(patterns.begin(), patterns.end(), [&name](const QString &pattern) {
        return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
            .match(name)
            .hasMatch();
    });
}

} // namespace

class TestPictureFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void installedFormats_areOfferedAndRead_data();
    void installedFormats_areOfferedAndRead();
};

void TestPictureFile::installedFormats_areOfferedAndRead_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("camera JPEG") << "IMG_0001.JPG" << QByteArray("jpeg");
    QTest::newRow("WebP") << "photo.webp" << QByteArray("webp");
    QTest::newRow("TIFF") << "scan.tif" << QByteArray("tiff");
    QTest::newRow("SVG") << "drawing.svg" << QByteArray("svg");
    QTest::newRow("PNG") << "shot.png" << QByteArray("png");
}

void TestPictureFile::installedFormats_areOfferedAndRead() {
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    // The plugins are the package's dependencies: a missing one is a fault here.
    QVERIFY2(QImageReader::supportedImageFormats().contains(format),
             "no Qt image plugin for this format is installed");
    QVERIFY2(offered(name), qPrintable(name + " is not offered"));

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (format == "svg") {
        file.write("<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>"
                   "<rect width='40' height='30' fill='red'/></svg>");
    } else {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(&file, format.constData()));
    }
    file.close();
    QString error;
    const std::unique_ptr<QFile> opened = openPictureFile(path, &error);
    QVERIFY2(opened, qPrintable(error));
    QCOMPARE(QImageReader(opened.get()).read().size(), QSize(40, 30));
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
