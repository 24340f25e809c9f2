#include "desktoppicture.h"
#include "picture.h"
#include "picturejob.h"

#include <QImageWriter>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

class TestPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Picture::setUpDecoding(); }

    // Decoding no longer raises the allocation limit itself: it is raised once,
    // at start, for the largest decode of all, a 16-bit camera picture.
    void load_largePicturesOnceDecodingIsSetUp() {
        const QSize size(6000, 4000);
        QTemporaryDir dir;
        QImageWriter writer(dir.filePath("big.png"));
        QVERIFY2(writer.canWrite(), "no writer for this format: the image plugins are missing");
        writer.setCompression(1);
        {
            QImage picture(size, QImage::Format_RGBX64);
            picture.fill(Qt::darkCyan);
            QVERIFY(writer.write(picture));
        }
        // Decoded as a change decodes an unresized entry.
        DesktopPicture picture({writer.fileName(), false, false, false}, QSize(1, 1));
        const Result<void> header = picture.readHeader();
        QVERIFY2(header, qPrintable(header.error()));
        const Result<QImage> bitmap = picture.bitmap();
        QVERIFY2(bitmap, qPrintable(bitmap.error()));
        QCOMPARE(bitmap->size(), size);
    }

    // A path that does not answer is given up on; its late answer reaches nobody.
    void job_givesUpOnAPathThatDoesNotAnswer() {
        QObject receiver;
        QSemaphore path;
        std::atomic<bool> ended = false;
        QList<std::optional<int>> delivered;
        const auto read = [&path, &ended] {
            path.acquire();
            ended = true;
            return 42;
        };
        runPictureJob(
            &receiver, read, [&](std::optional<int> result) { delivered.append(result); }, 200);
        QTRY_COMPARE(delivered, QList<std::optional<int>>{std::nullopt});
        path.release();
        QTRY_VERIFY(ended && receiver.children().isEmpty());
        QCOMPARE(delivered.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
