#include "desktopbackend.h"

#include <QTest>

class TestDesktopBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choice_followsSessionAndDesktop_data() {
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QByteArray>("override");
        QTest::addColumn<QString>("backend");
        const auto row = [](const char *name, const char *session, const char *desktop,
                            const char *override, const char *backend) {
            QTest::newRow(name) << QByteArray(session) << QByteArray(desktop)
                                << QByteArray(override) << QString(backend);
        };
        row("most specific first", "x11", "ubuntu:GNOME", "", "GNOME");
        row("cinnamon", "x11", "X-Cinnamon", "", "Cinnamon");
        row("lxqt", "x11", "LXQt", "", "LXQt");
        row("lxde by override", "x11", "", "lxde", "LXDE");
        row("plasma on wayland", "wayland", "KDE", "", "KDE Plasma");
        row("sway", "wayland", "sway", "", "sway");
        row("bare x11", "x11", "", "", "X11");
        row("unknown x11 desktop", "x11", "Openbox", "", "X11");
        row("unknown wayland compositor", "wayland", "weston", "", "unsupported");
        row("wayland, no desktop named", "wayland", "", "", "unsupported");
        row("override wins on wayland", "wayland", "weston", "x11", "X11");
        row("override wins over the desktop", "x11", "GNOME", "none", "none");
    }

    void choice_followsSessionAndDesktop() {
        QFETCH(QByteArray, session);
        QFETCH(QByteArray, desktop);
        QFETCH(QByteArray, override);
        QFETCH(QString, backend);
        qputenv("XDG_SESSION_TYPE", session);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        qputenv("ROTAFOND_DESKTOP", override);
        const std::unique_ptr<DesktopBackend> chosen = createDesktopBackend("DP-1");
        QCOMPARE(chosen->name(), backend);
        // Told plainly, never a silent success on XWayland's unseen root.
        if (backend == "unsupported")
            QCOMPARE(chosen->apply("/x.bmp", QImage(), WallpaperStyle::Tile).error,
                     "Rotafond cannot set the wallpaper on this Wayland desktop");
    }
};

QTEST_GUILESS_MAIN(TestDesktopBackend)
#include "tst_desktopbackend.moc"
