#include "desktoppicture.h"
#include "picture.h"
#include "picturefile.h"
#include "picturejob.h"
#include "testimages.h"

#include <QImageWriter>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <atomic>

class TestPicture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The whole picture, decoded as a wallpaper change decodes an unresized entry.
    static QImage decodeWhole(const QString &path, QString *error) {
        DesktopPicture picture({path, false, false, false}, QSize(1, 1));
        return picture.readHeader(error) ? picture.bitmap(error) : QImage();
    }

private Q_SLOTS:
    void initTestCase() { Picture::setUpDecoding(); }

    void open_takesRegularFilesOnly_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("opens");
        QTest::newRow("picture") << "picture" << true;
        QTest::newRow("link to a picture") << "link" << true;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("device") << "device" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("missing") << "missing" << false;
    }

    // A FIFO used to block the reader until some writer came.
    void open_takesRegularFilesOnly() {
        QFETCH(QString, kind);
        QFETCH(bool, opens);
        const QDir dir(m_dir.path());
        QString path = writePicture(dir, QStringLiteral("p.png"), QSize(30, 20));
        if (kind == QLatin1String("link")) {
            QFile::link(path, dir.filePath(QStringLiteral("link.png")));
            path = dir.filePath(QStringLiteral("link.png"));
        } else if (kind == QLatin1String("fifo")) {
            path = dir.filePath(QStringLiteral("pipe.png"));
            QVERIFY(QFile::exists(path) || ::mkfifo(QFile::encodeName(path), 0600) == 0);
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/zero");
        } else if (kind == QLatin1String("folder")) {
            path = dir.path();
        } else if (kind == QLatin1String("missing")) {
            path = dir.filePath(QStringLiteral("gone.png"));
        }
        QString error;
        QCOMPARE(openPictureFile(path, &error) != nullptr, opens);
        QCOMPARE(error.isEmpty(), opens);
        error.clear();
        const QImage picture = decodeWhole(path, &error);
        QCOMPARE(picture.size(), opens ? QSize(30, 20) : QSize(0, 0));
        QVERIFY2(opens || error.contains(path), qPrintable(error));
    }

    // Decoding no longer raises the limit itself: it is raised once, at start.
    void load_largePicturesOnceDecodingIsSetUp_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("16-bit PNG") << "big.png" << QImage::Format_RGBX64 << QSize(6000, 4000);
        QTest::newRow("TIFF") << "big.tif" << QImage::Format_RGB32 << QSize(7360, 4912);
    }

    void load_largePicturesOnceDecodingIsSetUp() {
        QFETCH(QString, name);
        QFETCH(QImage::Format, format);
        QFETCH(QSize, size);
        QImageWriter writer(m_dir.filePath(name));
        if (!writer.canWrite())
            QSKIP("no writer for this format in this Qt");
        writer.setCompression(1);
        {
            QImage picture(size, format);
            picture.fill(Qt::darkCyan);
            QVERIFY(writer.write(picture));
        }
        QString error;
        const QImage loaded = decodeWhole(writer.fileName(), &error);
        QVERIFY2(!loaded.isNull(), qPrintable(error));
        QCOMPARE(loaded.size(), size);
    }

    void job_givesUpOnAPathThatDoesNotAnswer_data() {
        QTest::addColumn<bool>("answers");
        QTest::newRow("answers") << true;
        QTest::newRow("does not answer") << false;
    }

    void job_givesUpOnAPathThatDoesNotAnswer() {
        QFETCH(bool, answers);
        QObject receiver;
        QSemaphore path(answers ? 1 : 0);
        std::atomic<bool> ended = false;
        QList<std::optional<int>> delivered;
        runPictureJob(
            &receiver,
            [&path, &ended] {
                path.acquire();
                ended = true;
                return 42;
            },
            [&delivered](std::optional<int> result) { delivered.append(result); }, 200);
        QTRY_COMPARE(delivered.size(), 1);
        QCOMPARE(delivered.first(), answers ? std::optional<int>(42) : std::nullopt);
        // The path answers late: nobody hears of it.
        path.release();
        QTRY_VERIFY(ended && receiver.children().isEmpty());
        QCOMPARE(delivered.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
