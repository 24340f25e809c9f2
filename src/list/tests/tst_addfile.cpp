#include "addfile.h"
#include "wallpaperlist.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestAddFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Small pictures are added tiled and unresized; large ones single, resized, proportional.
    void sizeClass_decidesTheSettings_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("small");
        QTest::newRow("lower than the height") << QSize(1024, 700) << "1024"
                                               << "768" << true;
        QTest::newRow("exactly the threshold") << QSize(1024, 768) << "1024"
                                               << "768" << false;
        QTest::newRow("narrower than the width") << QSize(1023, 900) << "1024"
                                                 << "768" << true;
        QTest::newRow("height threshold - 1") << QSize(2000, 767) << "1024"
                                              << "768" << true;
        QTest::newRow("682.5 is taken as 682") << QSize(682, 500) << "682.5"
                                               << "384" << false;
        // The fallback threshold is 640 x 512.
        QTest::newRow("empty threshold falls back") << QSize(600, 500) << ""
                                                    << "x" << true;
    }
    void sizeClass_decidesTheSettings() {
        QFETCH(QSize, size);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, small);
        WallpaperList list;
        const QString path = picture(size);
        const AddResult result =
            addFileToList(list, path, defaults(width, height), QSize(640, 512));
        QVERIFY2(result.added, qPrintable(result.error));
        const WallpaperEntry expected = small ? WallpaperEntry{path, false, false, true}
                                              : WallpaperEntry{path, true, true, false};
        QCOMPARE(list.entries(), QList<WallpaperEntry>{expected});
    }

    void badFiles_areRefusedAndTheListKept_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a picture") << QByteArray("hello, I am text");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("truncated PNG header") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
    }
    void badFiles_areRefusedAndTheListKept() {
        QFETCH(QByteArray, content);
        WallpaperList list;
        const QString good = picture(QSize(10, 10));
        QVERIFY(addFileToList(list, good, defaults("1", "1"), {}).added);
        const QString path = m_dir.filePath("bad.jpg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        const AddResult result = addFileToList(list, path, defaults("1", "1"), {});
        QVERIFY(!result.added);
        QVERIFY(result.error.contains("bad.jpg"));
        // A FIFO once blocked the reader until some writer came.
        const QString pipe = m_dir.filePath("pipe.png");
        QVERIFY(QFile::exists(pipe) || ::mkfifo(QFile::encodeName(pipe), 0600) == 0);
        for (const QString &other :
             {m_dir.path(), pipe, QStringLiteral("/dev/zero"), m_dir.filePath("missing.png")})
            QVERIFY2(!addFileToList(list, other, defaults("1", "1"), {}).added, qPrintable(other));
        // The same file twice is added once.
        const AddResult again = addFileToList(list, good, defaults("1", "1"), {});
        QVERIFY(!again.added && again.alreadyInList);
        QCOMPARE(list.count(), 1);
    }

private:
    QString picture(QSize size) {
        const QString path =
            m_dir.filePath(QStringLiteral("%1x%2.png").arg(size.width()).arg(size.height()));
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return image.save(path, "PNG") ? path : QString();
    }
    static NewEntryDefaults defaults(const QString &width, const QString &height) {
        return {width, height, true, false, false, false, true, true};
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestAddFile)
#include "tst_addfile.moc"
