// Times wallpaper changes of large pictures on the X root window: from the
// request to the root's property being set, with the screen as one monitor
// and as two side by side (its halves), beside hsetroot on the same file
// (interleaved runs, medians), the longest stall of the UI thread during a
// change, and the peak memory. Needs an X display; two 2560x1440 monitors:
//   xvfb-run -s "-screen 0 5120x1440x24" build/bench/bench/bench_wallpaperchange [rounds]
#include "changecycle.h"
#include "desktops/x11rootbackend.h"
#include "picture.h"
#include "quiethost.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

#include <sys/resource.h>

namespace {

// The real X11 backend, noting when the root window got the picture.
class TimedDesktop : public X11RootBackend {
public:
    std::atomic<qint64> appliedAt = 0;
    QElapsedTimer clock;
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override {
        const ApplyResult result = X11RootBackend::apply(path, bitmap, style);
        appliedAt = clock.nsecsElapsed();
        return result;
    }
};

QImage makePhoto(QSize size) {
    QImage photo = gradientPicture(size);
    QPainter painter(&photo);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 4000; ++i)
        painter.fillRect(random->bounded(size.width()), random->bounded(size.height()), 60, 40,
                         QColor::fromRgb(random->generate()));
    return photo;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct ChangeTiming {
    double toRootMs;
    double longestStallMs;
};

// One change as Change Now makes it, with the UI thread's event loop running.
ChangeTiming timeChange(ChangeCycle &cycle, TimedDesktop &desktop) {
    QElapsedTimer sinceLastTurn;
    double longestStall = 0;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceLastTurn.nsecsElapsed() / 1e6);
        sinceLastTurn.restart();
    });
    QSignalSpy finished(&cycle, &ChangeCycle::changeFinished);
    desktop.clock.start();
    sinceLastTurn.start();
    heartbeat.start();
    int counter = 0;
    cycle.setNextWallpaper(counter);
    if (!finished.wait(60000) ||
        finished.at(0).at(0).value<ChangeCycle::Outcome>() != ChangeCycle::Outcome::Shown)
        qFatal("change failed");
    heartbeat.stop();
    // The stall measured includes the heartbeat's own 1 ms period.
    return {desktop.appliedAt / 1e6, longestStall - 1};
}

double timeHsetroot(const QString &hsetroot, const char *option, const QString &path) {
    QProcess setter;
    setter.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    setter.start(hsetroot, {QString::fromLatin1(option), path});
    setter.waitForFinished();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    Picture::setUpDecoding();
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 7;
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo.jpg");
    makePhoto(QSize(6000, 4000)).save(jpeg, "JPEG", 90);
    const QString png = dir.filePath("screen.png");
    makePhoto(QSize(5120, 2880)).save(png, "PNG");
    const int width = QGuiApplication::primaryScreen()->size().width();
    const int height = QGuiApplication::primaryScreen()->size().height();
    // The screen once as one monitor, and its halves as two side by side.
    const QList<Monitor> one{{QStringLiteral("A"), QRect(0, 0, width / 2, height)}};
    const QList<Monitor> two{one.first(),
                             {QStringLiteral("B"), QRect(width / 2, 0, width / 2, height)}};

    SettingsStore settings(dir.filePath("Rotafond.conf"), {});
    WallpaperList list;
    WallpaperFiles files(dir.filePath("data"));
    TimedDesktop desktop;
    QuietHost host;

    const QString hsetroot = QStandardPaths::findExecutable("hsetroot");
    struct Mode {
        const char *name;
        bool resize, proportional, tiled;
        const char *hsetrootOption;
    };
    const Mode modes[] = {
        {"center (SN)", false, false, false, "-center"},
        {"tile (TN)", false, false, true, "-tile"},
        {"stretch (SS)", true, false, false, "-full"},
        {"proportional (SP)", true, true, false, nullptr},
    };
    out << "Monitors of " << width / 2 << "x" << height << ", medians of " << rounds
        << " interleaved runs (ms); to root = request to the root's property set\n";
    for (const auto &[label, path] :
         {std::pair{"6000x4000 JPEG", jpeg}, std::pair{"5120x2880 PNG", png}}) {
        out << label << "\n";
        for (const Mode &mode : modes) {
            list.reset({{path, mode.resize, mode.proportional, mode.tiled}});
            QList<double> oneMonitor, twoMonitors, stalls, theirs;
            for (int round = 0; round < rounds; ++round) {
                for (const QList<Monitor> *layout : {&one, &two}) {
                    ChangeCycle cycle(list, settings, files, desktop, host, *layout);
                    const ChangeTiming timing = timeChange(cycle, desktop);
                    (layout == &one ? oneMonitor : twoMonitors).append(timing.toRootMs);
                    stalls.append(timing.longestStallMs);
                }
                if (mode.hsetrootOption && !hsetroot.isEmpty())
                    theirs.append(timeHsetroot(hsetroot, mode.hsetrootOption, path));
            }
            out << "  " << qSetFieldWidth(18) << Qt::left << mode.name << qSetFieldWidth(0)
                << " one monitor " << median(oneMonitor) << "  two " << median(twoMonitors)
                << "  ratio " << median(twoMonitors) / median(oneMonitor) << "  longest UI stall "
                << *std::max_element(stalls.begin(), stalls.end());
            if (!theirs.isEmpty())
                out << "  hsetroot (whole screen) " << median(theirs);
            out << "\n";
        }
    }
    if (hsetroot.isEmpty())
        out << "(hsetroot is not installed: apt-get install hsetroot)\n";
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "peak RSS " << usage.ru_maxrss / 1024 << " MB\n";
    return 0;
}
