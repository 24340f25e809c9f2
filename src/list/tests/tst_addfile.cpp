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
    void sizeClass_decidesTheSettings_data();
    void sizeClass_decidesTheSettings();
    void badFiles_areRefusedAndTheListKept_data();
    void badFiles_areRefusedAndTheListKept();
    void sameFileTwice_isAddedOnce();

private:
    QString picture(QSize size, const char *format = "PNG") {
        const QString path = m_dir.filePath(QStringLiteral("%1x%2.%3")
                                                .arg(size.width())
                                                .arg(size.height())
                                                .arg(QString::fromLatin1(format).toLower()));
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::gray);
        image.save(path, format);
        return path;
    }
    static NewEntryDefaults defaults(const QString &width, const QString &height) {
        // Small: tiled, not resized. Large: single, resized, proportional.
        return {width, height, true, false, false, false, true, true};
    }

    QTemporaryDir m_dir;
};

void TestAddFile::sizeClass_decidesTheSettings_data() {
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
    QTest::newRow("width threshold + 1") << QSize(1025, 769) << "1024"
                                         << "768" << false;
    QTest::newRow("height threshold - 1") << QSize(2000, 767) << "1024"
                                          << "768" << true;
    QTest::newRow("682.5 is taken as 682") << QSize(682, 500) << "682.5"
                                           << "384" << false;
    QTest::newRow("icon-sized") << QSize(32, 32) << "512"
                                << "384" << true;
    QTest::newRow("empty threshold falls back") << QSize(600, 500) << ""
                                                << "x" << true;
}

void TestAddFile::sizeClass_decidesTheSettings() {
    QFETCH(QSize, size);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(bool, small);
    WallpaperList list;
    const QString path = picture(size);
    const AddResult result = addFileToList(list, path, defaults(width, height), QSize(640, 512));
    QVERIFY2(result.added, qPrintable(result.error));
    QCOMPARE(list.count(), 1);
    const WallpaperEntry expected =
        small ? WallpaperEntry{path, false, false, true} : WallpaperEntry{path, true, true, false};
    QCOMPARE(list.at(0), expected);
}

void TestAddFile::badFiles_areRefusedAndTheListKept_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a picture") << QByteArray("hello, I am text");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("truncated PNG header") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
}

void TestAddFile::badFiles_areRefusedAndTheListKept() {
    QFETCH(QByteArray, content);
    WallpaperList list;
    addFileToList(list, picture(QSize(10, 10)), defaults("1", "1"), {});
    const QString path = m_dir.filePath("bad.jpg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const AddResult result = addFileToList(list, path, defaults("1", "1"), {});
    QVERIFY(!result.added);
    QVERIFY(result.error.contains("bad.jpg"));
    QCOMPARE(list.count(), 1);
    QVERIFY(!addFileToList(list, m_dir.path(), defaults("1", "1"), {}).added);
    const QString pipe = m_dir.filePath("pipe.png");
    QVERIFY(QFile::exists(pipe) || ::mkfifo(QFile::encodeName(pipe), 0600) == 0);
    QVERIFY(!addFileToList(list, pipe, defaults("1", "1"), {}).added);
    QVERIFY(!addFileToList(list, m_dir.filePath("missing.png"), defaults("1", "1"), {}).added);
    QCOMPARE(list.count(), 1);
}

void TestAddFile::sameFileTwice_isAddedOnce() {
    WallpaperList list;
    const QString path = picture(QSize(1600, 1200), "JPEG");
    QVERIFY(addFileToList(list, path, defaults("1024", "768"), {}).added);
    const AddResult again = addFileToList(list, path, defaults("1024", "768"), {});
    QVERIFY(!again.added);
    QVERIFY(again.alreadyInList);
    QCOMPARE(list.count(), 1);
}

QTEST_GUILESS_MAIN(TestAddFile)
#include "tst_addfile.moc"
