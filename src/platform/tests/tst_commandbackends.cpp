#include "desktops/lxqtbackend.h"
#include "desktops/xfcebackend.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records its name and arguments (NUL-separated) into a file of its own.
const char *const FakeTool = R"SH(#!/bin/sh
record="$FAKE_LOG_DIR/$(date +%s%N)-$$"
printf '%s\0' "$(basename "$0")" "$@" > "$record"
exit "${FAKE_EXIT:-0}"
)SH";

const QString HostilePath =
    QStringLiteral("/home/a b/\"q\" 'q' \\back $(touch pwned); x\nline.bmp");

} // namespace

class TestCommandBackends : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void lxqt_passesStyleAndPath_data();
    void lxqt_passesStyleAndPath();
    void failingOrMissingTool_isReported();

private:
    QList<QStringList> calls() const {
        QList<QStringList> result;
        QDir logs(m_dir.filePath("log"));
        for (const QString &name : logs.entryList(QDir::Files, QDir::Name)) {
            QFile file(logs.filePath(name));
            file.open(QIODevice::ReadOnly);
            QStringList argv = QString::fromUtf8(file.readAll()).split(QChar(0));
            argv.removeLast();
            result.append(argv);
        }
        return result;
    }
    QString installFake(const QString &name) {
        const QString path = m_dir.filePath("bin/" + name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(FakeTool);
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
        return path;
    }

    QTemporaryDir m_dir;
};

void TestCommandBackends::initTestCase() {
    QDir().mkpath(m_dir.filePath("bin"));
    installFake(QStringLiteral("pcmanfm-qt"));
    qputenv("PATH", (m_dir.filePath("bin") + ":" + qgetenv("PATH")).toUtf8());
    qputenv("FAKE_LOG_DIR", m_dir.filePath("log").toUtf8());
}

void TestCommandBackends::init() {
    QDir(m_dir.filePath("log")).removeRecursively();
    QDir().mkpath(m_dir.filePath("log"));
    qunsetenv("FAKE_EXIT");
}

void TestCommandBackends::lxqt_passesStyleAndPath_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("tile") << int(WallpaperStyle::Tile)
                          << QStringList{"--set-wallpaper", HostilePath, "--wallpaper-mode",
                                         "tile"};
    QTest::newRow("center") << int(WallpaperStyle::Center)
                            << QStringList{"--set-wallpaper", HostilePath, "--wallpaper-mode",
                                           "center"};
    QTest::newRow("stretch") << int(WallpaperStyle::Stretch)
                             << QStringList{"--set-wallpaper", HostilePath, "--wallpaper-mode",
                                            "stretch"};
    QTest::newRow("clear") << int(WallpaperStyle::Clear)
                           << QStringList{"--wallpaper-mode", "color"};
}

void TestCommandBackends::lxqt_passesStyleAndPath() {
    QFETCH(int, style);
    QFETCH(QStringList, arguments);
    LxqtBackend backend;
    QVERIFY(backend.apply(HostilePath, QImage(), WallpaperStyle(style)).ok);
    QCOMPARE(calls(), QList<QStringList>{QStringList{"pcmanfm-qt"} + arguments});
}

void TestCommandBackends::failingOrMissingTool_isReported() {
    qputenv("FAKE_EXIT", "1");
    QVERIFY(!LxqtBackend().apply("/x.bmp", QImage(), WallpaperStyle::Tile).ok);
    qunsetenv("FAKE_EXIT");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const ApplyResult missing = XfceBackend({"0"}).apply("/x.bmp", QImage(), WallpaperStyle::Tile);
    qputenv("PATH", path);
    QVERIFY(!missing.ok);
    QVERIFY(missing.error.contains("xfconf-query"));
}

QTEST_GUILESS_MAIN(TestCommandBackends)
#include "tst_commandbackends.moc"
