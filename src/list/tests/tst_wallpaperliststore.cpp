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
    void init();
    void roundTrip_data();
    void roundTrip();
    void vanishedFiles_areDroppedAndLaterEntriesMoveUp();
    void missingKeys_giveDefaults();
    void shortenedList_leavesOldKeysUnread();
    void damagedCount_isCappedToStoredKeys();
    void progress_reportsEachEntry_data();
    void progress_reportsEachEntry();
    void killDuringSave_leavesOldOrNewList();

private:
    QString makeFile(const QString &name) {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }
    QString configPath() const { return m_dir->filePath(QStringLiteral("conf/Rotafond.conf")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestWallpaperListStore::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestWallpaperListStore::roundTrip_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("ten thousand") << 10000;
}

void TestWallpaperListStore::roundTrip() {
    QFETCH(int, count);
    QList<WallpaperEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(
            {makeFile(QStringLiteral("p%1.jpg").arg(i)), i % 2 == 0, i % 3 == 0, i % 5 == 0});
    {
        SettingsStore settings(configPath(), {});
        QVERIFY(WallpaperListStore(settings).save(entries));
    }
    SettingsStore settings(configPath(), {});
    QCOMPARE(WallpaperListStore(settings).load(), entries);
    QCOMPARE(settings.read(SettingsKeys::NumberOfFiles), count);
}

void TestWallpaperListStore::vanishedFiles_areDroppedAndLaterEntriesMoveUp() {
    // An entry on a drive that is not mounted is unreachable, not gone.
    const QList<WallpaperEntry> entries{
        {makeFile("a.jpg"), true, true, false},
        {makeFile("b.jpg"), false, false, true},
        {QStringLiteral("/media/not-mounted-usb/beach.jpg"), true, true, false},
        {makeFile("c.jpg"), false, true, true}};
    SettingsStore settings(configPath(), {});
    WallpaperListStore store(settings);
    store.save(entries);
    QVERIFY(QFile::remove(entries.at(1).filePath));
    const QList<WallpaperEntry> loaded = store.load();
    QCOMPARE(loaded, (QList<WallpaperEntry>{entries.at(0), entries.at(2), entries.at(3)}));
}

void TestWallpaperListStore::missingKeys_giveDefaults() {
    const QString a = makeFile("a.jpg");
    const QString c = makeFile("c.jpg");
    QDir().mkpath(QFileInfo(configPath()).path());
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nNumberOfFiles=3\n[Files]\n0=" + a.toUtf8() + "\n2=" + c.toUtf8() +
               "\n[FileTiledSettings]\n0=True\n");
    file.close();
    SettingsStore settings(configPath(), {});
    const QList<WallpaperEntry> loaded = WallpaperListStore(settings).load();
    QCOMPARE(loaded, (QList<WallpaperEntry>{{a, true, true, true}, {c, true, true, false}}));
}

void TestWallpaperListStore::shortenedList_leavesOldKeysUnread() {
    QList<WallpaperEntry> entries;
    for (int i = 0; i < 5; ++i)
        entries.append({makeFile(QStringLiteral("%1.jpg").arg(i)), true, true, false});
    SettingsStore settings(configPath(), {});
    WallpaperListStore store(settings);
    store.save(entries);
    store.save(entries.mid(0, 2));
    QCOMPARE(store.load(), entries.mid(0, 2));
    QCOMPARE(settings.readEntry(SettingsKeys::Files, 4), entries.at(4).filePath);
}

void TestWallpaperListStore::damagedCount_isCappedToStoredKeys() {
    const QString a = makeFile("a.jpg");
    QDir().mkpath(QFileInfo(configPath()).path());
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nNumberOfFiles=2000000000\n[Files]\n0=" + a.toUtf8() + "\n");
    file.close();
    SettingsStore settings(configPath(), {});
    int calls = 0;
    const auto loaded = WallpaperListStore(settings).load([&](int, const QString &) { ++calls; });
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(calls, 1);
}

void TestWallpaperListStore::progress_reportsEachEntry_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("percents");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("one") << 1 << QList<int>{100} << QStringList{"100 %"};
    QTest::newRow("three") << 3 << QList<int>{33, 67, 100} << QStringList{"33 %", "66 %", "100 %"};
    QTest::newRow("eight") << 8 << QList<int>{12, 25, 38, 50, 62, 75, 88, 100}
                           << QStringList{"12 %", "25 %", "37 %", "50 %",
                                          "62 %", "75 %", "87 %", "100 %"};
}

void TestWallpaperListStore::progress_reportsEachEntry() {
    QFETCH(int, count);
    QList<WallpaperEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append({QStringLiteral("/gone/%1").arg(i), true, true, false});
    SettingsStore settings(configPath(), {});
    WallpaperListStore store(settings);
    store.save(entries);
    QList<int> percents;
    QStringList captions;
    store.load([&](int percent, const QString &caption) {
        percents.append(percent);
        captions.append(caption);
    });
    QTEST(percents, "percents");
    QTEST(captions, "captions");
}

void TestWallpaperListStore::killDuringSave_leavesOldOrNewList() {
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

QTEST_GUILESS_MAIN(TestWallpaperListStore)
#include "tst_wallpaperliststore.moc"
