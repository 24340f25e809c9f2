// Times wallpaper changes of large pictures on the X root window: from the
// request to the root's property being set, with the screen as one monitor
// and as two side by side (its halves), beside hsetroot on the same file
// (interleaved runs, medians), the longest stall of the UI thread during a
// change, and the peak memory; the same for a desktop set monitor by monitor
// (XFCE, sway, Plasma), to each monitor's picture written. Needs an X
// display; two 2560x1440 monitors:
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

struct Stopwatch {
    std::atomic<qint64> appliedAt = 0;
    QElapsedTimer clock;
};

// The real X11 backend, noting when the root window got the picture.
class TimedDesktop : public X11RootBackend, public Stopwatch {
public:
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override {
        const Result<void> result = X11RootBackend::apply(path, bitmap, style);
        appliedAt = clock.nsecsElapsed();
        return result;
    }
};

// A desktop set monitor by monitor, noting when every monitor's picture is written.
class TimedPerMonitorDesktop : public PerMonitorBackend, public Stopwatch {
public:
    QString name() const override { return QStringLiteral("per monitor"); }
    Result<void> apply(const QString &, const QImage &, WallpaperStyle) override { return {}; }
    Result<void> clear() override { return {}; }
    Result<void> applyPerMonitor(const MonitorPictureWriter &writePicture,
                                 const QList<Monitor> &monitors, const QString &,
                                 WallpaperStyle) override {
        for (const Monitor &monitor : monitors) {
            if (const Result<QString> written = writePicture(monitor.name, monitor.rect.size());
                !written)
                return written;
        }
        appliedAt = clock.nsecsElapsed();
        return {};
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
ChangeTiming timeChange(ChangeCycle &cycle, Stopwatch &desktop) {
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
    TimedPerMonitorDesktop perMonitor;
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
            // [the root, monitor by monitor][one monitor, two]
            QList<double> times[2][2], stalls, theirs;
            for (int round = 0; round < rounds; ++round) {
                for (const int kind : {0, 1})
                    for (const int count : {0, 1}) {
                        ChangeCycle cycle(list, settings, files,
                                          kind == 0 ? static_cast<DesktopBackend &>(desktop)
                                                    : perMonitor,
                                          host, count == 0 ? one : two);
                        const ChangeTiming timing = timeChange(
                            cycle, kind == 0 ? static_cast<Stopwatch &>(desktop) : perMonitor);
                        times[kind][count].append(timing.toRootMs);
                        stalls.append(timing.longestStallMs);
                    }
                if (mode.hsetrootOption && !hsetroot.isEmpty())
                    theirs.append(timeHsetroot(hsetroot, mode.hsetrootOption, path));
            }
            out << "  " << qSetFieldWidth(18) << Qt::left << mode.name << qSetFieldWidth(0)
                << " one monitor " << median(times[0][0]) << "  two " << median(times[0][1])
                << "  ratio " << median(times[0][1]) / median(times[0][0])
                << "  monitor by monitor: one " << median(times[1][0]) << "  two "
                << median(times[1][1]) << "  ratio " << median(times[1][1]) / median(times[1][0])
                << "  longest UI stall " << *std::max_element(stalls.begin(), stalls.end());
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
