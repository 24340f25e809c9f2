#include "desktopbackend.h"

#include <QTest>

class TestDesktopBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choice_followsSessionAndDesktop_data() {
        QTest::addColumn<QByteArrayList>("sessionDesktopOverride");
        QTest::addColumn<QString>("backend");
        QTest::newRow("most specific first")
            << QByteArrayList{"x11", "ubuntu:GNOME", ""} << "GNOME";
        QTest::newRow("lxde by override") << QByteArrayList{"x11", "", "lxde"} << "LXDE";
        QTest::newRow("plasma on wayland") << QByteArrayList{"wayland", "KDE", ""} << "KDE Plasma";
        QTest::newRow("unknown x11 desktop") << QByteArrayList{"x11", "Openbox", ""} << "X11";
        QTest::newRow("unknown wayland compositor")
            << QByteArrayList{"wayland", "weston", ""} << "unsupported";
        QTest::newRow("override wins on wayland")
            << QByteArrayList{"wayland", "weston", "x11"} << "X11";
        QTest::newRow("override wins over the desktop")
            << QByteArrayList{"x11", "GNOME", "none"} << "none";
    }

    void choice_followsSessionAndDesktop() {
        QFETCH(QByteArrayList, sessionDesktopOverride);
        QFETCH(QString, backend);
        qputenv("XDG_SESSION_TYPE", sessionDesktopOverride.at(0));
        qputenv("XDG_CURRENT_DESKTOP", sessionDesktopOverride.at(1));
        qputenv("ROTAFOND_DESKTOP", sessionDesktopOverride.at(2));
        const std::unique_ptr<DesktopBackend> chosen = createDesktopBackend("DP-1");
        QCOMPARE(chosen->name(), backend);
        // Told plainly, never a silent success on XWayland's unseen root.
        if (backend == "unsupported")
            QCOMPARE(chosen->apply("/x.bmp", QImage(), WallpaperStyle::Tile).error(),
                     "Rotafond cannot set the wallpaper on this Wayland desktop");
    }
};

QTEST_GUILESS_MAIN(TestDesktopBackend)
#include "tst_desktopbackend.moc"
