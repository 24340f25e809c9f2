#include "wallpaperlist.h"

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
};

QTEST_GUILESS_MAIN(TestWallpaperList)
#include "tst_wallpaperlist.moc"
