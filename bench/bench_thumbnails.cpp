// The browser opening a folder of 60 wallpapers (2560 x 1440 JPEGs), cold
// and warm, to its first full row of cells; thumbnails of a folder of 200
// photos (6000 x 4000 JPEGs) through the browser, against vipsthumbnail and a plain full decode on
// the same files; 40 photos whose names need escaping, checked against GLib's view of the cache;
// then a folder of 20 000 small pictures for responsiveness and memory.
//   QT_QPA_PLATFORM=offscreen build/bench/bench/bench_thumbnails [photos]
// With 0 photos only the wallpapers are timed. The browser opens at a share of
// the screen: QT_QPA_PLATFORM=offscreen:configfile=screen.json with
// {"screens": [{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1080}]}
// gives it a screen of that size instead of the offscreen 800 x 600.
#include "benchsupport.h"
#include "browserwindow.h"
#include "scriptedprompter.h"
#include "settingsstore.h"
#include "thumbnailstrip.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Photo-like content: a gradient with grain, so the decoder has real work.
QImage photo(QSize size, int seed) {
    QImage image(size, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv(seed * 36 % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv((seed * 36 + 120) % 360, 180, 60));
    QPainter(&image).fillRect(image.rect(), gradient);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random.bounded(24)) - 12;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + grain, 255), qBound(0, qGreen(p) + grain, 255),
                           qBound(0, qBlue(p) + grain, 255));
        }
    }
    return image;
}

QStringList fillFolder(const QDir &folder, const QStringList &originals, int count,
                       const QString &pattern) {
    return hardLinks(originals, count, [&](int i) {
        return folder.filePath(pattern.arg(i, 5, 10, QLatin1Char('0')));
    });
}

struct RunTimes {
    double firstCellMs = 0;
    double firstRowMs = 0;
    double totalMs = 0;
    double longestStallMs = 0;
    double cpuMs = 0;
    double uiThreadCpuMs = 0;
    int cells = 0;
    long residentAtEndKb = 0;
};

double cpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

RunTimes browse(BrowserWindow &browser, SettingsStore &settings, const QString &folder) {
    settings.write(SettingsKeys::LastPath, folder);
    RunTimes times;
    QElapsedTimer clock;
    QElapsedTimer sinceProbe;
    // A fine timer's lateness shows how long the event loop is kept from the
    // user; it also sees the first cell. It wakes the UI thread only every
    // few milliseconds, so the wait below stays a real wait.
    constexpr int ProbeMs = 5;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(ProbeMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        times.longestStallMs =
            std::max(times.longestStallMs, sinceProbe.nsecsElapsed() / 1e6 - ProbeMs);
        sinceProbe.restart();
        const int cells = browser.strip()->count();
        if (times.firstCellMs == 0 && cells > 0)
            times.firstCellMs = clock.nsecsElapsed() / 1e6;
        if (times.firstRowMs == 0 && cells >= browser.strip()->columns())
            times.firstRowMs = clock.nsecsElapsed() / 1e6;
    });
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&browser, &BrowserWindow::runFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const double processCpu = cpuMs(RUSAGE_SELF);
    const double uiThreadCpu = cpuMs(RUSAGE_THREAD);
    clock.start();
    sinceProbe.start();
    probe.start();
    browser.open();
    if (!finished)
        loop.exec();
    times.totalMs = clock.nsecsElapsed() / 1e6;
    probe.stop();
    times.cpuMs = cpuMs(RUSAGE_SELF) - processCpu;
    times.uiThreadCpuMs = cpuMs(RUSAGE_THREAD) - uiThreadCpu;
    times.cells = browser.strip()->count();
    times.residentAtEndKb = residentKb();
    browser.close();
    return times;
}

QString cpuText(const RunTimes &times) {
    return QStringLiteral("CPU %1 ms, UI thread %2 ms")
        .arg(times.cpuMs, 0, 'f', 0)
        .arg(times.uiThreadCpuMs, 0, 'f', 0);
}

// How many of the paths another program, asking through GLib, finds a valid
// thumbnail for in the cache under cacheHome; -1 without gio.
int validForGlib(const QStringList &paths, const QString &cacheHome) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return -1;
    QProcess info;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    environment.insert(QStringLiteral("GIO_USE_VFS"), QStringLiteral("local"));
    info.setProcessEnvironment(environment);
    info.start(gio, QStringList{QStringLiteral("info"), QStringLiteral("-a"),
                                QStringLiteral("thumbnail::is-valid")} +
                        paths);
    info.waitForFinished(60000);
    return int(info.readAllStandardOutput().count("thumbnail::is-valid: TRUE"));
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int photoCount = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    if (photoCount < 0 || (argc > 1 && photoCount == 0 && QByteArray(argv[1]) != "0")) {
        out << "usage: bench_thumbnails [number of photos, 200 unless given; 0: only the "
               "wallpapers]"
            << Qt::endl;
        return 2;
    }
    QTemporaryDir root;
    const QDir top(root.path());
    for (const char *folder : {"wallpapers", "photos", "named", "small"})
        top.mkpath(QLatin1String(folder));
    const QDir photos(root.filePath(QStringLiteral("photos")));
    const QDir named(root.filePath(QStringLiteral("named")));
    const QDir small(root.filePath(QStringLiteral("small")));
    const QString cacheHome = root.filePath(QStringLiteral("cache"));
    SettingsStore settings(root.filePath(QStringLiteral("Rotafond.conf")), {});
    ScriptedPrompter prompter;
    BrowserWindow browser(settings, prompter, Drives(),
                          ThumbnailCache(cacheHome + QStringLiteral("/thumbnails")),
                          [](const auto &) {
                              return AddResult{true, {}};
                          });

    QStringList wallpaperOriginals;
    for (int i = 0; i < 10; ++i) {
        const QString path = root.filePath(QStringLiteral("wallpaper%1.jpg").arg(i));
        photo(QSize(2560, 1440), 20 + i).save(path, "JPEG", 92);
        wallpaperOriginals.append(path);
    }
    const QString wallpapers = root.filePath(QStringLiteral("wallpapers"));
    fillFolder(QDir(wallpapers), wallpaperOriginals, 60, QStringLiteral("wallpaper-%1.jpg"));
    const RunTimes firstOpen = browse(browser, settings, wallpapers);
    const RunTimes secondOpen = browse(browser, settings, wallpapers);
    out << QStringLiteral("60 wallpapers (2560x1440 JPEG), %1 columns: first row of cells after "
                          "%2 ms cold, %3 ms warm; all cells %4 ms cold, %5 ms warm\n")
               .arg(browser.strip()->columns())
               .arg(firstOpen.firstRowMs, 0, 'f', 1)
               .arg(secondOpen.firstRowMs, 0, 'f', 1)
               .arg(firstOpen.totalMs, 0, 'f', 1)
               .arg(secondOpen.totalMs, 0, 'f', 1);
    out.flush();
    if (photoCount == 0)
        return 0;

    out << "making 10 distinct 6000x4000 JPEGs, linked to " << photoCount << " names..."
        << Qt::endl;
    QStringList originals;
    for (int i = 0; i < 10; ++i) {
        const QString path = root.filePath(QStringLiteral("original%1.jpg").arg(i));
        photo(QSize(6000, 4000), i).save(path, "JPEG", 90);
        originals.append(path);
    }
    const QStringList photoPaths =
        fillFolder(photos, originals, photoCount, QStringLiteral("DSC_%1.jpg"));
    // Names whose URIs need escaping, as a file manager hashes them.
    const QStringList namedPaths = fillFolder(
        named, originals, 40, QStringLiteral("Sommer [2019]; Strand #%1 100% schön.jpg"));
    out << "JPEG size: " << QFile(originals.first()).size() / 1024 << " KB" << Qt::endl;

    const long before = residentKb();
    const RunTimes cold = browse(browser, settings, photos.path());
    const RunTimes warm = browse(browser, settings, photos.path());
    const long pipelinePeak = peakKb();

    const RunTimes namedCold = browse(browser, settings, named.path());
    const RunTimes namedWarm = browse(browser, settings, named.path());
    const int namedValid = validForGlib(namedPaths, cacheHome);

    QElapsedTimer clock;
    top.mkpath(QStringLiteral("vips"));
    QStringList vipsArguments{QStringLiteral("--size"), QStringLiteral("140x105"),
                              QStringLiteral("-o"), root.filePath(QStringLiteral("vips/%s.jpg"))};
    vipsArguments.append(photoPaths);
    clock.start();
    const int vipsExit = QProcess::execute(QStringLiteral("vipsthumbnail"), vipsArguments);
    const double vipsMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    for (const QString &path : photoPaths) {
        const QImage full(path);
        const QImage thumbnail =
            full.scaled(140, 105, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (thumbnail.isNull())
            return 1;
    }
    const double naiveMs = clock.nsecsElapsed() / 1e6;

    out << "\n" << photoCount << " photos, " << QThread::idealThreadCount() << " cores\n";
    out << QStringLiteral(
               "  cold run (empty cache):   %1 ms (%2 cells), first cell after %3 ms, %4\n")
               .arg(cold.totalMs, 0, 'f', 1)
               .arg(cold.cells)
               .arg(cold.firstCellMs, 0, 'f', 1)
               .arg(cpuText(cold));
    out << QStringLiteral("  warm run (cache filled):  %1 ms, first cell after %2 ms (%3 % of "
                          "cold), %4\n")
               .arg(warm.totalMs, 0, 'f', 1)
               .arg(warm.firstCellMs, 0, 'f', 1)
               .arg(100 * warm.totalMs / cold.totalMs, 0, 'f', 1)
               .arg(cpuText(warm));
    if (vipsExit == 0)
        out << QStringLiteral("  vipsthumbnail --size 140x105: %1 ms (ratio %2)\n")
                   .arg(vipsMs, 0, 'f', 1)
                   .arg(cold.totalMs / vipsMs, 0, 'f', 2);
    else
        out << "  vipsthumbnail not available (apt-get install libvips-tools)\n";
    out << QStringLiteral("  naive full decode + smooth scale: %1 ms (%2x slower than cold)\n")
               .arg(naiveMs, 0, 'f', 1)
               .arg(naiveMs / cold.totalMs, 0, 'f', 1);
    out << QStringLiteral("  longest event-loop stall: cold %1 ms, warm %2 ms\n")
               .arg(cold.longestStallMs, 0, 'f', 1)
               .arg(warm.longestStallMs, 0, 'f', 1);
    out << QStringLiteral("  RSS before %1 MB, peak during the runs %2 MB\n")
               .arg(before / 1024)
               .arg(pipelinePeak / 1024);
    out << QStringLiteral("\n40 photos named \"Sommer [2019]; Strand #n 100% schön.jpg\": cold %1 "
                          "ms, warm %2 ms (%3 cells), %4\n")
               .arg(namedCold.totalMs, 0, 'f', 1)
               .arg(namedWarm.totalMs, 0, 'f', 1)
               .arg(namedWarm.cells)
               .arg(cpuText(namedWarm));
    if (namedValid >= 0)
        out << "  thumbnails GLib finds valid: " << namedValid << " of 40\n";
    else
        out << "  gio not available (apt-get install libglib2.0-bin)\n";
    out.flush();

    const QString tiny = root.filePath(QStringLiteral("tiny.png"));
    photo(QSize(64, 48), 3).save(tiny, "PNG");
    fillFolder(small, {tiny}, 20000, QStringLiteral("pic%1.png"));
    const long beforeSmall = residentKb();
    const RunTimes many = browse(browser, settings, small.path());
    out << QStringLiteral("\n20 000 small pictures: %1 ms (%2 cells), first cell after %3 ms, "
                          "longest event-loop stall %4 ms, %5, RSS %6 -> %7 MB\n")
               .arg(many.totalMs, 0, 'f', 1)
               .arg(many.cells)
               .arg(many.firstCellMs, 0, 'f', 1)
               .arg(many.longestStallMs, 0, 'f', 1)
               .arg(cpuText(many))
               .arg(beforeSmall / 1024)
               .arg(many.residentAtEndKb / 1024);
    return 0;
}
