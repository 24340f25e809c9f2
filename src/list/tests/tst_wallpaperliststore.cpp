#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

class TestWallpaperListStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void roundTrip_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("ten thousand") << 10000;
    }
    void roundTrip() {
        QFETCH(int, count);
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count + 3; ++i)
            entries.append(
                {makeFile(QStringLiteral("p%1.jpg").arg(i)), i % 2 == 0, i % 3 == 0, i % 5 == 0});
        {
            SettingsStore settings(configPath(), {});
            WallpaperListStore store(settings);
            store.save(entries);
            // A shorter list leaves the keys above it behind, unread, as older versions expect.
            entries.resize(count);
            store.save(entries);
            QVERIFY(store.sync());
        }
        SettingsStore settings(configPath(), {});
        QCOMPARE(WallpaperListStore(settings).load(), entries);
        QCOMPARE(settings.read(SettingsKeys::NumberOfFiles), count);
        QCOMPARE(settings.readEntry(SettingsKeys::Files, count + 2),
                 m_dir->filePath(QStringLiteral("p%1.jpg").arg(count + 2)));
    }

    void storedList_loadsWhatCanBeLoaded_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("loaded"); // path, resize, proportional, tiled
        QTest::addColumn<int>("progressCalls");
        // An entry on a drive that is not mounted is unreachable, not gone.
        QTest::newRow("gone files dropped, later entries move up")
            << QByteArray(
                   "[Settings]\nNumberOfFiles=4\n[Files]\n0=./a\n1=./gone\n"
                   "2=/media/not-mounted-usb/beach.jpg\n3=./c\n[FileTiledSettings]\n3=True\n")
            << QStringList{"a 1 1 0", "/media/not-mounted-usb/beach.jpg 1 1 0", "c 1 1 1"} << 4;
        QTest::newRow("missing keys give defaults")
            << QByteArray("[Settings]\nNumberOfFiles=3\n[Files]\n0=./a\n2=./c\n"
                          "[FileTiledSettings]\n0=True\n[FileStretchSettings]\n2=False\n")
            << QStringList{"a 1 1 1", "c 0 1 0"} << 3;
        QTest::newRow("damaged count capped to the stored keys")
            << QByteArray("[Settings]\nNumberOfFiles=2000000000\n[Files]\n0=./a\n")
            << QStringList{"a 1 1 0"} << 1;
    }
    void storedList_loadsWhatCanBeLoaded() {
        QFETCH(QByteArray, stored);
        QDir().mkpath(QFileInfo(configPath()).path());
        QFile file(configPath());
        const QByteArray folder = QFile::encodeName(m_dir->path()) + '/';
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write(stored.replace("=./", "=" + folder)) > 0);
        file.close();
        makeFile("a");
        makeFile("c");
        SettingsStore settings(configPath(), {});
        int progressCalls = 0;
        QStringList loaded;
        const auto entries =
            WallpaperListStore(settings).load([&](int, const QString &) { ++progressCalls; });
        for (const WallpaperEntry &entry : entries)
            loaded.append(QStringLiteral("%1 %2 %3 %4")
                              .arg(QString(entry.filePath).remove(m_dir->path() + '/'))
                              .arg(entry.resize)
                              .arg(entry.proportional)
                              .arg(entry.tiled));
        QTEST(loaded, "loaded");
        QTEST(progressCalls, "progressCalls");
    }

    void progress_reportsEachEntry() {
        QList<WallpaperEntry> entries;
        for (int i = 0; i < 8; ++i)
            entries.append({QStringLiteral("/gone/%1").arg(i), true, true, false});
        SettingsStore settings(configPath(), {});
        WallpaperListStore store(settings);
        store.save(entries);
        QStringList progress;
        store.load([&](int percent, const QString &caption) {
            progress.append(QString::number(percent) + '|' + caption);
        });
        // Percents round half to even; captions truncate.
        QCOMPARE(progress, (QStringList{"12|12 %", "25|25 %", "38|37 %", "50|50 %", "62|62 %",
                                        "75|75 %", "88|87 %", "100|100 %"}));
    }

    void killDuringSave_leavesOldOrNewList() {
        constexpr int count = 2000;
        for (int attempt = 0; attempt < 8; ++attempt) {
            QProcess saver;
            saver.start(QStringLiteral(LIST_SAVE_LOOP), {configPath(), QString::number(count)});
            QVERIFY(saver.waitForReadyRead(10000));
            QTest::qWait(QRandomGenerator::global()->bounded(5, 120));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(5000));

            SettingsStore settings(configPath(), {});
            const int stored = settings.read(SettingsKeys::NumberOfFiles);
            QVERIFY2(stored == count || stored == count + 1, qPrintable(QString::number(stored)));
            const QString prefix = stored == count ? QStringLiteral("/a/") : QStringLiteral("/b/");
            const QList<WallpaperEntry> loaded = WallpaperListStore(settings).load();
            QCOMPARE(loaded.size(), stored);
            for (const WallpaperEntry &entry : loaded)
                QVERIFY2(entry.filePath.startsWith(prefix), qPrintable(entry.filePath));
        }
    }

private:
    QString makeFile(const QString &name) {
        QFile file(m_dir->filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    QString configPath() const { return m_dir->filePath(QStringLiteral("conf/Rotafond.conf")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestWallpaperListStore)
#include "tst_wallpaperliststore.moc"
