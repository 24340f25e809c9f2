#include "listautosaver.h"
#include "settingsstore.h"
#include "wallpaperlist.h"
#include "wallpaperliststore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

WallpaperEntry entry(const QString &name) {
    return {QStringLiteral("/pics/") + name, true, false, true};
}

QStringList paths(const WallpaperList &list) {
    QStringList result;
    for (int row = 0; row < list.rowCount(); ++row)
        result.append(list.data(list.index(row)).toString());
    return result;
}

} // namespace

class TestWallpaperList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void remove_closesUp_data();
    void remove_closesUp();
    void move_keepsEntriesWithTheirSettings_data();
    void move_keepsEntriesWithTheirSettings();
    void autosaver_savesChangesPromptlyInOneWrite();
    void autosaver_flushSavesAtOnce();
};

void TestWallpaperList::remove_closesUp_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("first") << 0 << true << QStringList{"/pics/b", "/pics/c"};
    QTest::newRow("middle") << 1 << true << QStringList{"/pics/a", "/pics/c"};
    QTest::newRow("last") << 2 << true << QStringList{"/pics/a", "/pics/b"};
    QTest::newRow("past the end") << 3 << false << QStringList{"/pics/a", "/pics/b", "/pics/c"};
    QTest::newRow("negative") << -1 << false << QStringList{"/pics/a", "/pics/b", "/pics/c"};
}

void TestWallpaperList::remove_closesUp() {
    QFETCH(int, position);
    WallpaperList list;
    list.reset({entry("a"), entry("b"), entry("c")});
    QTEST(list.remove(position), "removed");
    QTEST(paths(list), "remaining");
    QCOMPARE(list.count(), list.rowCount());
}

void TestWallpaperList::move_keepsEntriesWithTheirSettings_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("down one") << 0 << 1 << QStringList{"/pics/b", "/pics/a", "/pics/c"};
    QTest::newRow("up one") << 2 << 1 << QStringList{"/pics/a", "/pics/c", "/pics/b"};
    QTest::newRow("first to last") << 0 << 2 << QStringList{"/pics/b", "/pics/c", "/pics/a"};
    QTest::newRow("out of range") << 2 << 3 << QStringList{"/pics/a", "/pics/b", "/pics/c"};
}

void TestWallpaperList::move_keepsEntriesWithTheirSettings() {
    QFETCH(int, from);
    QFETCH(int, to);
    WallpaperList list;
    WallpaperEntry special = entry("b");
    special.tiled = false;
    special.proportional = true;
    list.reset({entry("a"), special, entry("c")});
    list.move(from, to);
    QTEST(paths(list), "order");
    for (const WallpaperEntry &moved : list.entries())
        QCOMPARE(moved == special, moved.filePath == special.filePath);
}

void TestWallpaperList::autosaver_savesChangesPromptlyInOneWrite() {
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("r.conf")), {});
    WallpaperListStore store(settings);
    WallpaperList list;
    ListAutosaver saver(list, store);
    for (int i = 0; i < 100; ++i)
        list.append(entry(QString::number(i)));
    list.remove(0);
    QVERIFY(saver.isPending());
    QCOMPARE(settings.read(SettingsKeys::NumberOfFiles), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!saver.isPending(), 2000);
    QTRY_COMPARE(SettingsStore(settings.filePath(), {}).read(SettingsKeys::NumberOfFiles), 99);
    WallpaperEntry edited = list.at(5);
    edited.tiled = false;
    list.replace(5, edited);
    QTRY_VERIFY_WITH_TIMEOUT(!saver.isPending(), 2000);
    QTRY_COMPARE(
        SettingsStore(settings.filePath(), {}).readEntry(SettingsKeys::FileTiledSettings, 5),
        false);
}

void TestWallpaperList::autosaver_flushSavesAtOnce() {
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("r.conf")), {});
    WallpaperListStore store(settings);
    WallpaperList list;
    ListAutosaver saver(list, store);
    list.append(entry("only"));
    QVERIFY(saver.flush());
    QVERIFY(!saver.isPending());
    QCOMPARE(SettingsStore(settings.filePath(), {}).readEntry(SettingsKeys::Files, 0),
             QStringLiteral("/pics/only"));
}

QTEST_GUILESS_MAIN(TestWallpaperList)
#include "tst_wallpaperlist.moc"
