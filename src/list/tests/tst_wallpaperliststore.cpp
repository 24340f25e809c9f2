#include "settingsstore.h"
#include "testimages.h"
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
    void init() { QVERIFY((m_dir = std::make_unique<QTemporaryDir>())->isValid()); }

    void roundTrip_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << 0;
        QTest::newRow("past four-digit positions") << 1200; // "999" and "1000" in one list
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
        // An entry on a drive that is not mounted is unreachable, not gone.
        QTest::newRow("gone files dropped, later entries move up")
            << QByteArray(
                   "[Settings]\nNumberOfFiles=4\n[Files]\n0=./a\n1=./gone\n"
                   "2=/media/not-mounted-usb/beach.jpg\n3=./c\n[FileTiledSettings]\n3=True\n")
            << QStringList{"a 1 1 0", "/media/not-mounted-usb/beach.jpg 1 1 0", "c 1 1 1"};
        QTest::newRow("missing keys give defaults")
            << QByteArray("[Settings]\nNumberOfFiles=3\n[Files]\n0=./a\n2=./c\n"
                          "[FileTiledSettings]\n0=True\n[FileStretchSettings]\n2=False\n")
            << QStringList{"a 1 1 1", "c 0 1 0"};
        QTest::newRow("damaged count capped to the stored keys")
            << QByteArray("[Settings]\nNumberOfFiles=2000000000\n[Files]\n0=./a\n")
            << QStringList{"a 1 1 0"};
    }
    void storedList_loadsWhatCanBeLoaded() {
        QFETCH(QByteArray, stored);
        QVERIFY(QDir().mkpath(QFileInfo(configPath()).path()));
        QVERIFY(writeBytes(configPath(),
                           stored.replace("=./", "=" + QFile::encodeName(m_dir->path()) + '/')));
        makeFile("a");
        makeFile("c");
        SettingsStore settings(configPath(), {});
        QStringList loaded;
        for (const WallpaperEntry &entry : WallpaperListStore(settings).load())
            loaded.append(QStringLiteral("%1 %2 %3 %4")
                              .arg(QString(entry.filePath).remove(m_dir->path() + '/'))
                              .arg(entry.resize)
                              .arg(entry.proportional)
                              .arg(entry.tiled));
        QTEST(loaded, "loaded");
    }

    void progress_reportsEachEntry() {
        SettingsStore settings(configPath(), {});
        WallpaperListStore store(settings);
        store.save(QList<WallpaperEntry>(8, {QStringLiteral("/gone")}));
        QStringList progress;
        store.load([&](int percent, const QString &caption) {
            progress.append(QString::number(percent) + '|' + caption);
        });
        // Percents round half to even; captions truncate.
        QCOMPARE(progress, (QStringList{"12|12 %", "25|25 %", "38|37 %", "50|50 %", "62|62 %",
                                        "75|75 %", "88|87 %", "100|100 %"}));
    }

    // The file holds the old list or the new one, never a mix or nothing.
    void killDuringSave_leavesOldOrNewList() {
        for (int attempt = 0; attempt < 8; ++attempt) {
            QProcess saver;
            saver.start(QStringLiteral(LIST_SAVE_LOOP), {configPath(), "2000"});
            QVERIFY(saver.waitForReadyRead(10000));
            QTest::qWait(QRandomGenerator::global()->bounded(5, 120));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(5000));

            SettingsStore settings(configPath(), {});
            const QList<WallpaperEntry> loaded = WallpaperListStore(settings).load();
            QCOMPARE(loaded.size(), settings.read(SettingsKeys::NumberOfFiles));
            QVERIFY2(loaded.size() == 2000 || loaded.size() == 2001,
                     qPrintable(QString::number(loaded.size())));
            const QString prefix = loaded.size() == 2000 ? "/a/" : "/b/";
            for (const WallpaperEntry &entry : loaded)
                QVERIFY2(entry.filePath.startsWith(prefix), qPrintable(entry.filePath));
        }
    }

private:
    QString makeFile(const QString &name) {
        const QString path = m_dir->filePath(name);
        if (!writeBytes(path, {}))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }
    QString configPath() const { return m_dir->filePath(QStringLiteral("conf/Rotafond.conf")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestWallpaperListStore)
#include "tst_wallpaperliststore.moc"
