// Start-up of the real program with a stored list until it sits in the tray
// and until the root window shows the first wallpaper: 10 and 10 000 entries
// whose files exist, 100 000 entries on an unmounted drive (and one that is
// there), and one 6000x4000 JPEG beside hsetroot showing the same file, both
// timed from exec to the root's background pixmap changing (interleaved, medians). Needs
// the private desktop of scripts/with-desktop.sh:
//   scripts/with-desktop.sh build/bench/bench/bench_startup [rounds]
#include "../tests/e2e/desktopdriver.h"

#include "benchsupport.h"
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

namespace {

struct Times {
    double trayMs = 0;
    double wallpaperMs = 0;
};

// The pixmap the root window shows as its background, as announced by every
// setter; the screen's pixels would also show the splash and other windows.
quint32 rootPixmap() {
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, 13, "_XROOTPMAP_ID"), nullptr);
    quint32 pixmap = 0;
    if (atom) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
        if (reply && xcb_get_property_value_length(reply) >= 4)
            pixmap = *static_cast<const quint32 *>(xcb_get_property_value(reply));
        std::free(reply);
    }
    std::free(atom);
    xcb_disconnect(connection);
    return pixmap;
}

// A colour the root does not show yet, so the change can be seen.
QColor freshColour() {
    const QRgb before = DesktopDriver::rootPixel(512, 384);
    QColor colour(20, 90, 140);
    while (colour.rgb() == before)
        colour = QColor(QRandomGenerator::global()->generate() | 0xff000000u);
    return colour;
}

// Waits until the root has a new background (and the program's tray icon
// shows, for pid > 0).
Times watch(QElapsedTimer &clock, quint32 before, qint64 pid) {
    Times times;
    while (clock.elapsed() < 30000 && (times.wallpaperMs == 0 || (pid > 0 && times.trayMs == 0))) {
        if (times.wallpaperMs == 0 && rootPixmap() != before)
            times.wallpaperMs = clock.nsecsElapsed() / 1e6;
        if (pid > 0 && times.trayMs == 0 && !DesktopDriver::trayIcon(pid).isEmpty())
            times.trayMs = clock.nsecsElapsed() / 1e6;
    }
    return times;
}

// Looking for the tray icon takes a while: watchTray false times the wallpaper alone.
// "NextFile" is the last entry unless told otherwise.
Times startOnce(DesktopDriver &desktop, const QList<WallpaperEntry> &list, bool watchTray = true,
                int nextFile = -1) {
    {
        SettingsStore settings(desktop.configFile(), {});
        WallpaperListStore(settings).save(list);
        settings.write(SettingsKeys::NextFile, nextFile < 0 ? int(list.size()) - 1 : nextFile);
    }
    const quint32 before = rootPixmap();
    auto rotafond = desktop.program();
    QElapsedTimer clock;
    clock.start();
    rotafond->start();
    const Times times = watch(clock, before, watchTray ? rotafond->processId() : 0);
    rotafond->terminate();
    rotafond->waitForFinished();
    return times;
}

QString writePicture(const QString &path, QSize size, const QColor &colour, const char *format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 4000 && size.width() > 1000; ++i)
        painter.fillRect(random->bounded(size.width()), random->bounded(size.height()), 60, 40,
                         QColor::fromRgb(random->generate()));
    // The middle stays the picture's colour, where the root is watched.
    painter.fillRect(QRect(QPoint(0, 0), QSize(400, 400)).translated(
                         size.width() / 2 - 200, size.height() / 2 - 200),
                     colour);
    painter.end();
    image.save(path, format, 90);
    return path;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    QTextStream out(stdout);
    DesktopDriver desktop;
    QDir().mkpath(desktop.path("pictures"));

    for (const int entries : {10, 10000}) {
        QList<double> tray, wallpaper;
        for (int round = 0; round < rounds; ++round) {
            const QString original = writePicture(
                desktop.path(QStringLiteral("pictures/original%1-%2.png").arg(entries).arg(round)),
                QSize(800, 600), freshColour(), "PNG");
            QList<WallpaperEntry> list;
            for (const QString &path : hardLinks({original}, entries, [&](int i) {
                     return desktop.path(
                         QStringLiteral("pictures/p%1-%2-%3.png").arg(entries).arg(round).arg(i));
                 }))
                list.append({path, false, false, false});
            const Times times = startOnce(desktop, list);
            tray.append(times.trayMs);
            wallpaper.append(times.wallpaperMs);
        }
        out << entries << " entries: in the tray after " << median(tray)
            << " ms, first wallpaper after " << median(wallpaper) << " ms (medians)\n";
        out.flush();
    }

    {
        QList<WallpaperEntry> list;
        list.reserve(100001);
        for (int i = 0; i < 100000; ++i)
            list.append({QStringLiteral("/media/not-mounted/holiday/%1.jpg").arg(i), true, true,
                         false});
        list.append({writePicture(desktop.path("pictures/there.png"), QSize(800, 600),
                                  freshColour(), "PNG"),
                     false, false, false});
        // "NextFile" at the last: the first change walks no entry; at the first:
        // it walks past all 100 000.
        const Times there = startOnce(desktop, list);
        const Times walked = startOnce(desktop, list, false, 0);
        out << "100 000 unreachable entries and one that is there: in the tray after "
            << there.trayMs << " ms; first wallpaper after " << there.wallpaperMs
            << " ms, or after " << walked.wallpaperMs << " ms when the change walks past all\n";
        out.flush();
    }

    // A home of its own: the store above keeps the 100 000 entries' keys.
    DesktopDriver photoDesktop;
    QDir().mkpath(photoDesktop.path("pictures"));
    const QString hsetroot = QStandardPaths::findExecutable("hsetroot");
    QList<double> ours, theirs;
    for (int round = 0; round < rounds; ++round) {
        const QString photo =
            writePicture(photoDesktop.path(QStringLiteral("pictures/photo%1.jpg").arg(round)),
                         QSize(6000, 4000), freshColour(), "JPEG");
        ours.append(startOnce(photoDesktop, {{photo, false, false, false}}, false).wallpaperMs);
        if (hsetroot.isEmpty())
            continue;
        const QString other =
            writePicture(photoDesktop.path(QStringLiteral("pictures/other%1.jpg").arg(round)),
                         QSize(6000, 4000), freshColour(), "JPEG");
        const quint32 before = rootPixmap();
        QProcess setter;
        setter.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        setter.start(hsetroot, {QStringLiteral("-center"), other});
        theirs.append(watch(clock, before, 0).wallpaperMs);
        setter.waitForFinished();
    }
    out << "6000x4000 JPEG centred, exec to the root showing it: rotafond " << median(ours)
        << " ms";
    if (!theirs.isEmpty())
        out << ", hsetroot " << median(theirs) << " ms, ratio " << median(ours) / median(theirs);
    out << " (medians of " << rounds << ")\n";
    return 0;
}
