#include "listautosaver.h"
#include "settingsstore.h"
#include "wallpaperlist.h"
#include "wallpaperliststore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

WallpaperEntry entry(const QString &name, bool tiled = true) {
    return {QStringLiteral("/pics/") + name, true, false, tiled};
}

} // namespace

class TestWallpaperList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void edit_closesUpAndKeepsSettings_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to"); // -1: remove
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("order");
        QTest::newRow("remove middle") << 1 << -1 << true << "a c";
        QTest::newRow("remove past the end") << 3 << -1 << false << "a b c";
        QTest::newRow("remove negative") << -1 << -1 << false << "a b c";
        QTest::newRow("move down one") << 0 << 1 << true << "b a c";
        QTest::newRow("move first to last") << 0 << 2 << true << "b c a";
        QTest::newRow("move up one") << 2 << 1 << true << "a c b";
        QTest::newRow("move out of range") << 2 << 3 << false << "a b c";
    }
    void edit_closesUpAndKeepsSettings() {
        QFETCH(int, from);
        QFETCH(int, to);
        WallpaperList list;
        const WallpaperEntry special = entry("b", false);
        list.reset({entry("a"), special, entry("c")});
        QTEST(to < 0 ? list.remove(from) : list.move(from, to), "done");
        QStringList order; // as the view shows it
        for (int row = 0; row < list.rowCount(); ++row)
            order.append(list.data(list.index(row)).toString().remove("/pics/"));
        QTEST(order.join(' '), "order");
        for (const WallpaperEntry &kept : list.entries())
            QCOMPARE(kept == special, kept.filePath == special.filePath);
    }

    // Edits reach the disk soon, not while the user edits; on the way out at once.
    void autosaver_savesChangesPromptlyAndFlushes() {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("r.conf")), {});
        WallpaperListStore store(settings);
        WallpaperList list;
        ListAutosaver saver(list, store);
        const auto stored = [&] { return SettingsStore(settings.filePath(), {}); };
        for (int i = 0; i < 100; ++i)
            list.append(entry(QString::number(i)));
        list.replace(5, entry("5", false));
        QVERIFY(saver.isPending());
        QCOMPARE(settings.read(SettingsKeys::NumberOfFiles), 0);
        QTRY_COMPARE(stored().read(SettingsKeys::NumberOfFiles), 100);
        QCOMPARE(stored().readEntry(SettingsKeys::FileTiledSettings, 5), false);
        QCOMPARE(stored().readEntry(SettingsKeys::FileTiledSettings, 6), true);
        list.remove(0);
        QVERIFY(saver.flush());
        QCOMPARE(stored().read(SettingsKeys::NumberOfFiles), 99);
    }
};

QTEST_GUILESS_MAIN(TestWallpaperList)
#include "tst_wallpaperlist.moc"
