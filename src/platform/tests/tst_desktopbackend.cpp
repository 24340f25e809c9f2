#include "desktopbackend.h"

#include <QTest>

class TestDesktopBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choice_followsSessionAndDesktop_data();
    void choice_followsSessionAndDesktop();
};

void TestDesktopBackend::choice_followsSessionAndDesktop_data() {
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<QByteArray>("override");
    QTest::addColumn<QString>("backend");
    QTest::newRow("xfce") << QByteArray("x11") << QByteArray("XFCE") << QByteArray() << "XFCE";
    QTest::newRow("most specific first")
        << QByteArray("x11") << QByteArray("ubuntu:GNOME") << QByteArray() << "GNOME";
    QTest::newRow("cinnamon") << QByteArray("x11") << QByteArray("X-Cinnamon") << QByteArray()
                              << "Cinnamon";
    QTest::newRow("mate") << QByteArray("x11") << QByteArray("MATE") << QByteArray() << "MATE";
    QTest::newRow("lxqt") << QByteArray("x11") << QByteArray("LXQt") << QByteArray() << "LXQt";
    QTest::newRow("lxde") << QByteArray("x11") << QByteArray("LXDE") << QByteArray() << "LXDE";
    QTest::newRow("lxde by override")
        << QByteArray("x11") << QByteArray() << QByteArray("lxde") << "LXDE";
    QTest::newRow("plasma on wayland")
        << QByteArray("wayland") << QByteArray("KDE") << QByteArray() << "KDE Plasma";
    QTest::newRow("sway") << QByteArray("wayland") << QByteArray("sway") << QByteArray() << "sway";
    QTest::newRow("bare x11") << QByteArray("x11") << QByteArray() << QByteArray() << "X11";
    QTest::newRow("unknown x11 desktop")
        << QByteArray("x11") << QByteArray("Openbox") << QByteArray() << "X11";
    QTest::newRow("unknown wayland compositor")
        << QByteArray("wayland") << QByteArray("weston") << QByteArray() << "unsupported";
    QTest::newRow("wayland, no desktop named")
        << QByteArray("wayland") << QByteArray() << QByteArray() << "unsupported";
    QTest::newRow("override wins on wayland")
        << QByteArray("wayland") << QByteArray("weston") << QByteArray("x11") << "X11";
    QTest::newRow("override wins over the desktop")
        << QByteArray("x11") << QByteArray("GNOME") << QByteArray("none") << "none";
}

void TestDesktopBackend::choice_followsSessionAndDesktop() {
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, desktop);
    QFETCH(QByteArray, override);
    QFETCH(QString, backend);
    qputenv("XDG_SESSION_TYPE", session);
    qputenv("XDG_CURRENT_DESKTOP", desktop);
    qputenv("ROTAFOND_DESKTOP", override);
    const std::unique_ptr<DesktopBackend> chosen = createDesktopBackend(QStringLiteral("DP-1"));
    QCOMPARE(chosen->name(), backend);
    if (backend == QLatin1String("unsupported")) {
        // Told plainly, never a silent success on XWayland's unseen root.
        const ApplyResult result = chosen->apply("/x.bmp", QImage(), WallpaperStyle::Tile);
        QVERIFY(!result.ok);
        QCOMPARE(result.error,
                 QStringLiteral("Rotafond cannot set the wallpaper on this Wayland desktop"));
    }
}

QTEST_GUILESS_MAIN(TestDesktopBackend)
#include "tst_desktopbackend.moc"
