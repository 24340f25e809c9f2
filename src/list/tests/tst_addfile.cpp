#include "addfile.h"
#include "testimages.h"
#include "wallpaperlist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestAddFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Small pictures are added tiled and unresized; large ones single, resized, proportional.
    void sizeClass_decidesTheSettings_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QStringList>("threshold"); // width, height as typed
        QTest::addColumn<bool>("small");
        QTest::newRow("exactly the threshold")
            << QSize(1024, 768) << QStringList{"1024", "768"} << false;
        QTest::newRow("width - 1") << QSize(1023, 900) << QStringList{"1024", "768"} << true;
        QTest::newRow("height - 1") << QSize(2000, 767) << QStringList{"1024", "768"} << true;
        // The fallback threshold is 640 x 512.
        QTest::newRow("empty threshold falls back")
            << QSize(600, 500) << QStringList{"", "x"} << true;
    }
    void sizeClass_decidesTheSettings() {
        QFETCH(QSize, size);
        QFETCH(QStringList, threshold);
        QFETCH(bool, small);
        WallpaperList list;
        const QString path = picture(size);
        const NewEntryDefaults defaults{threshold.at(0), threshold.at(1)};
        const AddResult result = addFileToList(list, path, defaults, QSize(640, 512));
        QVERIFY2(result.added, qPrintable(result.error));
        QCOMPARE(list.entries(), (QList<WallpaperEntry>{{path, !small, !small, small}}));
    }

    // Refused files leave the list as it was, and name themselves.
    void badFiles_areRefusedAndTheListKept() {
        WallpaperList list;
        const QString good = picture(QSize(10, 10));
        QVERIFY(addFileToList(list, good, {"1", "1"}, {}).added);
        const QByteArray contents[] = {"hello, I am text", {}, {"\x89PNG\r\n\x1a\n\0\0", 10}};
        QStringList bad{m_dir.path(), "/dev/zero", m_dir.filePath("missing.png")};
        for (const QByteArray &content : contents) {
            bad.append(m_dir.filePath(QStringLiteral("bad%1.jpg").arg(bad.size())));
            QVERIFY(writeBytes(bad.last(), content));
        }
        // A FIFO once blocked the reader until some writer came.
        bad.append(m_dir.filePath("pipe.png"));
        QVERIFY(::mkfifo(QFile::encodeName(bad.last()), 0600) == 0);
        for (const QString &path : bad) {
            const AddResult result = addFileToList(list, path, {"1", "1"}, {});
            QVERIFY2(!result.added && result.error.contains(QFileInfo(path).fileName()),
                     qPrintable(path + ": " + result.error));
        }
        const AddResult again = addFileToList(list, good, {"1", "1"}, {});
        QVERIFY(!again.added && again.alreadyInList);
        QCOMPARE(list.entries(), (QList<WallpaperEntry>{{good, true, true, false}}));
    }

private:
    QString picture(QSize size) {
        return writePicture(QDir(m_dir.path()),
                            QStringLiteral("%1x%2.png").arg(size.width()).arg(size.height()), size);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestAddFile)
#include "tst_addfile.moc"
