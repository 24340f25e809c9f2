// Thumbnails of a folder of 200 photos (6000 x 4000 JPEGs) through the
// browser, against vipsthumbnail and a plain full decode on the same files;
// then a folder of 20 000 small pictures for responsiveness and memory.
//   QT_QPA_PLATFORM=offscreen build/release/bench/bench_thumbnails
#include "benchsupport.h"
#include "browserwindow.h"
#include "scriptedprompter.h"
#include "settingsstore.h"
#include "thumbnailstrip.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
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
    double totalMs = 0;
    double longestStepMs = 0;
    int cells = 0;
    long residentAtEndKb = 0;
};

RunTimes browse(BrowserWindow &browser, SettingsStore &settings, const QString &folder) {
    settings.write(SettingsKeys::LastPath, folder);
    RunTimes times;
    QElapsedTimer clock;
    QElapsedTimer step;
    // An idle timer measures how long the event loop is kept from the user.
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        times.longestStepMs = std::max(times.longestStepMs, step.nsecsElapsed() / 1e6);
        step.restart();
    });
    QSignalSpy finished(&browser, &BrowserWindow::runFinished);
    clock.start();
    step.start();
    probe.start();
    browser.open();
    while (finished.isEmpty()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (times.firstCellMs == 0 && browser.strip()->count() > 0)
            times.firstCellMs = clock.nsecsElapsed() / 1e6;
    }
    times.totalMs = clock.nsecsElapsed() / 1e6;
    probe.stop();
    times.cells = browser.strip()->count();
    times.residentAtEndKb = residentKb();
    browser.close();
    return times;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir root;
    const QDir top(root.path());
    top.mkpath(QStringLiteral("photos"));
    top.mkpath(QStringLiteral("small"));
    const QDir photos(root.filePath(QStringLiteral("photos")));
    const QDir small(root.filePath(QStringLiteral("small")));

    out << "making 10 distinct 6000x4000 JPEGs, linked to 200 names..." << Qt::endl;
    QStringList originals;
    for (int i = 0; i < 10; ++i) {
        const QString path = root.filePath(QStringLiteral("original%1.jpg").arg(i));
        photo(QSize(6000, 4000), i).save(path, "JPEG", 90);
        originals.append(path);
    }
    const QStringList photoPaths = fillFolder(photos, originals, 200, QStringLiteral("DSC_%1.jpg"));
    out << "JPEG size: " << QFile(originals.first()).size() / 1024 << " KB" << Qt::endl;

    SettingsStore settings(root.filePath(QStringLiteral("Rotafond.conf")), {});
    ScriptedPrompter prompter;
    BrowserWindow browser(settings, prompter, Drives(),
                          ThumbnailCache(root.filePath(QStringLiteral("cache"))),
                          [](const QString &) {
                              return AddResult{true, {}};
                          });

    const long before = residentKb();
    const RunTimes cold = browse(browser, settings, photos.path());
    const RunTimes warm = browse(browser, settings, photos.path());
    const long pipelinePeak = peakKb();

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

    out << "\n200 photos, " << QThread::idealThreadCount() << " cores\n";
    out << QStringLiteral("  cold run (empty cache):   %1 ms (%2 cells), first cell after %3 ms\n")
               .arg(cold.totalMs, 0, 'f', 1)
               .arg(cold.cells)
               .arg(cold.firstCellMs, 0, 'f', 1);
    out << QStringLiteral(
               "  warm run (cache filled):  %1 ms, first cell after %2 ms (%3 % of cold)\n")
               .arg(warm.totalMs, 0, 'f', 1)
               .arg(warm.firstCellMs, 0, 'f', 1)
               .arg(100 * warm.totalMs / cold.totalMs, 0, 'f', 1);
    if (vipsExit == 0)
        out << QStringLiteral("  vipsthumbnail --size 140x105: %1 ms (ratio %2)\n")
                   .arg(vipsMs, 0, 'f', 1)
                   .arg(cold.totalMs / vipsMs, 0, 'f', 2);
    else
        out << "  vipsthumbnail not available (apt-get install libvips-tools)\n";
    out << QStringLiteral("  naive full decode + smooth scale: %1 ms (%2x slower than cold)\n")
               .arg(naiveMs, 0, 'f', 1)
               .arg(naiveMs / cold.totalMs, 0, 'f', 1);
    out << QStringLiteral("  longest event-loop step: cold %1 ms, warm %2 ms\n")
               .arg(cold.longestStepMs, 0, 'f', 1)
               .arg(warm.longestStepMs, 0, 'f', 1);
    out << QStringLiteral("  RSS before %1 MB, peak during the runs %2 MB\n")
               .arg(before / 1024)
               .arg(pipelinePeak / 1024);
    out.flush();

    const QString tiny = root.filePath(QStringLiteral("tiny.png"));
    photo(QSize(64, 48), 3).save(tiny, "PNG");
    fillFolder(small, {tiny}, 20000, QStringLiteral("pic%1.png"));
    const long beforeSmall = residentKb();
    const RunTimes many = browse(browser, settings, small.path());
    out << QStringLiteral("\n20 000 small pictures: %1 ms (%2 cells), first cell after %3 ms, "
                          "longest event-loop step %4 ms, RSS %5 -> %6 MB\n")
               .arg(many.totalMs, 0, 'f', 1)
               .arg(many.cells)
               .arg(many.firstCellMs, 0, 'f', 1)
               .arg(many.longestStepMs, 0, 'f', 1)
               .arg(beforeSmall / 1024)
               .arg(many.residentAtEndKb / 1024);
    return 0;
}
