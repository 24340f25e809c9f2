#include "desktops/plasmabackend.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

// The script's text: what plasmashell makes of it is seen with the real one in
// the desktop matrix. Here: hostile paths stay strings, each monitor gets its own.
class TestPlasmaBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Never the user's own plasmashell: no session bus at all.
    void initTestCase() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    void script_givesEachMonitorItsPictureOnlyAsAString_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("monitors");
        QTest::newRow("one picture for all") << "/home/u/Rotafond-1.bmp" << 0;
        QTest::newRow("two monitors, hostile path")
            << "/home/a b/\"; desktops()[0].remove(); \"/it's/\\\\/$(x);\nnew line/ü" << 2;
    }

    void script_givesEachMonitorItsPictureOnlyAsAString() {
        QFETCH(QString, path);
        QFETCH(int, monitors);
        const QList<Monitor> layout = QList<Monitor>{
            {"DUMMY0", {0, 0, 1280, 1024}},
            {"DUMMY1",
             {1280, 56, 1920, 1080}}}.first(monitors);
        QStringList expected{path + " 3"}; // where no monitor matches: the entry's style, tiled
        for (const Monitor &monitor : layout)
            expected.append(QStringLiteral("x: %1, y: %2, width: %3, %4-%5.bmp 0") // stretched
                                .arg(monitor.rect.x())
                                .arg(monitor.rect.y())
                                .arg(monitor.rect.width())
                                .arg(path, monitor.name));
        QList<PlasmaBackend::MonitorPicture> pictures;
        for (const Monitor &monitor : layout)
            pictures.append({monitor.rect, path + "-" + monitor.name + ".bmp"});
        const QString script = PlasmaBackend::script(path, WallpaperStyle::Tile, pictures);
        // Each picture on a line of its own, its path only in a JSON string
        // that reads back as the path.
        static const QRegularExpression entry(
            QStringLiteral("^(?:var fallback = |    )\\{(.*)image: (\".*\"), fillMode: (\\d)\\}"),
            QRegularExpression::MultilineOption);
        QStringList found;
        for (const QRegularExpressionMatch &match : entry.globalMatch(script)) {
            const QJsonDocument url =
                QJsonDocument::fromJson("[" + match.captured(2).toUtf8() + "]");
            found.append(match.captured(1) + QUrl(url.array().at(0).toString()).toLocalFile() +
                         " " + match.captured(3));
        }
        QCOMPARE(found, expected);
    }

    // No plasmashell to answer; a monitor's picture that cannot be written.
    void failures_areReported() {
        const QList<Monitor> monitors{{"DUMMY0", {0, 0, 640, 480}}, {"DUMMY1", {640, 0, 800, 600}}};
        QList<QSize> asked;
        const auto writer = [&](const QString &, QSize size) -> Result<QString> {
            asked.append(size);
            return QStringLiteral("/x.bmp");
        };
        QVERIFY(!PlasmaBackend().applyPerMonitor(writer, monitors, "/x.bmp", WallpaperStyle::Tile));
        QCOMPARE(asked, (QList<QSize>{{640, 480}, {800, 600}}));
        QVERIFY(!PlasmaBackend().clear());
        const auto failingWriter = [](const QString &, QSize) -> Result<QString> {
            return Failure{"Disk full."};
        };
        QCOMPARE(PlasmaBackend()
                     .applyPerMonitor(failingWriter, monitors, "/x.bmp", WallpaperStyle::Center)
                     .error(),
                 "Disk full.");
    }
};

QTEST_GUILESS_MAIN(TestPlasmaBackend)
#include "tst_plasmabackend.moc"
