// Start-up of the real program with a stored list until it sits in the
// tray, for 10 and 10 000 entries whose files exist. Needs the private
// desktop of scripts/with-desktop.sh:
//   scripts/with-desktop.sh build/release/bench/bench_startup
#include "../tests/e2e/desktopdriver.h"

#include "benchsupport.h"
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

namespace {

struct Times {
    double trayMs = 0;
    double wallpaperMs = 0;
};

Times startOnce(int entries) {
    DesktopDriver desktop;
    QDir().mkpath(desktop.path("pictures"));
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(20, 90 + entries % 100, 140));
    const QString original = desktop.path("pictures/original.png");
    image.save(original);
    QList<WallpaperEntry> list;
    for (const QString &path : hardLinks({original}, entries, [&](int i) {
             return desktop.path(QStringLiteral("pictures/p%1.png").arg(i));
         }))
        list.append({path, false, false, false});
    {
        SettingsStore settings(desktop.configFile(), {});
        WallpaperListStore(settings).save(list);
    }
    const QRgb before = DesktopDriver::rootPixel(512, 384);

    auto rotafond = desktop.program();
    QElapsedTimer clock;
    clock.start();
    rotafond->start();
    Times times;
    while (clock.elapsed() < 20000 && (times.trayMs == 0 || times.wallpaperMs == 0)) {
        if (times.wallpaperMs == 0 && DesktopDriver::rootPixel(512, 384) != before)
            times.wallpaperMs = clock.nsecsElapsed() / 1e6;
        if (times.trayMs == 0 && !DesktopDriver::trayIcon(rotafond->processId()).isEmpty())
            times.trayMs = clock.nsecsElapsed() / 1e6;
    }
    rotafond->terminate();
    rotafond->waitForFinished();
    return times;
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    for (const int entries : {10, 10000}) {
        QList<double> tray;
        QList<double> wallpaper;
        for (int round = 0; round < 5; ++round) {
            const Times times = startOnce(entries);
            tray.append(times.trayMs);
            wallpaper.append(times.wallpaperMs);
        }
        std::sort(tray.begin(), tray.end());
        std::sort(wallpaper.begin(), wallpaper.end());
        out << QStringLiteral("%1 entries: in the tray after %2 ms (median of 5, best %3), "
                              "first wallpaper after %4 ms\n")
                   .arg(entries)
                   .arg(tray.at(2), 0, 'f', 0)
                   .arg(tray.first(), 0, 'f', 0)
                   .arg(wallpaper.at(2), 0, 'f', 0);
        out.flush();
    }
    return 0;
}
