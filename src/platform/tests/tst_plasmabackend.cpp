#include "desktops/plasmabackend.h"

#include <QDBusConnection>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>

// A stand-in plasmashell records the script it is sent. It cannot run the
// script: that each screen finds its picture is seen with the real plasmashell
// in the desktop matrix.
class TestPlasmaBackend : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Runs the change against the stand-in; gives the script it got.
    QString runAgainstFakeShell(const std::function<Result<void>()> &change, Result<void> *result,
                                bool locked = false) {
        const QString record = m_dir.filePath("script.js");
        QFile::remove(record);
        QProcess shell;
        shell.start(FAKE_PLASMASHELL,
                    locked ? QStringList{record, "--locked"} : QStringList{record});
        if (!shell.waitForReadyRead(5000))
            return {};
        *result = change();
        shell.kill();
        shell.waitForFinished();
        QFile file(record);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static std::function<Result<void>()> apply(const QString &path, WallpaperStyle style) {
        return [=] { return PlasmaBackend().apply(path, QImage(), style); };
    }

private Q_SLOTS:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a D-Bus session bus: run through test.sh");
    }

    void script_givesEachMonitorItsPictureOnlyAsAString_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("monitors");
        QTest::newRow("one picture for all") << "/home/u/Rotafond-1.bmp" << 0;
        QTest::newRow("one monitor") << "/home/u/Rotafond-1.bmp" << 1;
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
        QList<QSize> asked, sizes;
        for (const Monitor &monitor : layout) {
            expected.append(QStringLiteral("x: %1, y: %2, width: %3, %4-%5.bmp 0") // stretched
                                .arg(monitor.rect.x())
                                .arg(monitor.rect.y())
                                .arg(monitor.rect.width())
                                .arg(path, monitor.name));
            sizes.append(monitor.rect.size());
        }
        const auto writePicture = [&](const QString &monitor, QSize size) -> Result<QString> {
            asked.append(size);
            return path + "-" + monitor + ".bmp";
        };
        Result<void> result;
        const QString script = runAgainstFakeShell(
            monitors == 0 ? apply(path, WallpaperStyle::Tile) : [&] {
                return PlasmaBackend().applyPerMonitor(writePicture, layout, path,
                                                       WallpaperStyle::Tile);
            },
            &result);
        QVERIFY2(result, qPrintable(result.error()));
        QCOMPARE(asked, sizes);
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

    void failures_areReported() {
        Result<void> result;
        runAgainstFakeShell(apply("/x.bmp", WallpaperStyle::Tile), &result, true);
        QVERIFY2(!result && result.error().contains("Widgets are locked"),
                 qPrintable(result.error()));
        const auto failingWriter = [](const QString &, QSize) -> Result<QString> {
            return Failure{"Disk full."};
        };
        const QString script = runAgainstFakeShell(
            [&] {
                return PlasmaBackend().applyPerMonitor(failingWriter,
                                                       {{"DUMMY0", {0, 0, 640, 480}}}, "/x.bmp",
                                                       WallpaperStyle::Center);
            },
            &result);
        QCOMPARE(result.error(), "Disk full.");
        QVERIFY(script.isEmpty());
    }

    void clear_showsAPlainColourUntilTheNextPicture() {
        Result<void> result;
        const QString clear = runAgainstFakeShell([] { return PlasmaBackend().clear(); }, &result);
        QVERIFY2(result, qPrintable(result.error()));
        QVERIFY2(clear.contains("d.wallpaperPlugin = \"org.kde.color\";") &&
                     clear.contains("[\"Wallpaper\", \"org.kde.color\", \"General\"]") &&
                     clear.contains("d.writeConfig(\"Color\", \"0,0,0\");") &&
                     !clear.contains("org.kde.image") && !clear.contains("Image"),
                 qPrintable(clear));
        const QString next = runAgainstFakeShell(apply("/x.bmp", WallpaperStyle::Center), &result);
        QVERIFY(next.contains("d.wallpaperPlugin = \"org.kde.image\";") &&
                next.contains("var fallback = {image: \"file:///x.bmp\", fillMode: 6};"));
    }
};

QTEST_GUILESS_MAIN(TestPlasmaBackend)
#include "tst_plasmabackend.moc"
