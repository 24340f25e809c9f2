// Times one wallpaper change of a large photo (decode, compose, write, apply
// on the X root window) for each display mode, beside hsetroot setting the
// same file, and reports the peak memory. Needs an X display:
//   scripts/with-desktop.sh build/release/bench/bench_wallpaperchange
#include "changecycle.h"
#include "cyclehost.h"
#include "desktops/x11rootbackend.h"
#include "picture.h"
#include "settingsstore.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

struct QuietHost : CycleHost {
    void removeEntry(int) override {}
    bool beepEnabled() const override { return false; }
    void beep() override {}
    void showEmptyListMessage() override {}
    void reportChangeFailure(const QString &why) override { qFatal("%s", qPrintable(why)); }
};

QString makePhoto(const QString &path) {
    QImage photo(6000, 4000, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, 6000, 4000);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(photo.rect(), gradient);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 4000; ++i)
        painter.fillRect(random->bounded(6000), random->bounded(4000), 60, 40,
                         QColor::fromRgb(random->generate()));
    painter.end();
    photo.save(path, "JPEG", 90);
    return path;
}

double bestOf(int rounds, const std::function<void()> &work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString photo = makePhoto(dir.filePath("photo.jpg"));
    const QSize screen = QGuiApplication::primaryScreen()->size();

    SettingsStore settings(dir.filePath("Rotafond.conf"), {});
    WallpaperList list;
    WallpaperFiles files(dir.filePath("data"));
    X11RootBackend desktop;
    QuietHost host;
    ChangeCycle cycle(list, settings, files, desktop, host, screen);

    const QString hsetroot = QStandardPaths::findExecutable("hsetroot");
    struct Mode {
        const char *name;
        WallpaperEntry entry;
        const char *hsetrootOption;
    };
    const Mode modes[] = {
        {"center (SN)", {photo, false, false, false}, "-center"},
        {"tile (TN)", {photo, false, false, true}, "-tile"},
        {"stretch (SS)", {photo, true, false, false}, "-full"},
        {"proportional (SP)", {photo, true, true, false}, nullptr},
    };
    out << "6000x4000 JPEG on a " << screen.width() << "x" << screen.height()
        << " screen, best of 3 (ms)\n";
    for (const Mode &mode : modes) {
        list.reset({mode.entry});
        const double ours = bestOf(3, [&] {
            int counter = 0;
            if (cycle.setNextWallpaper(counter) != ChangeCycle::Outcome::Shown)
                qFatal("change failed");
        });
        out << qSetFieldWidth(20) << Qt::left << mode.name << qSetFieldWidth(0) << " rotafond "
            << ours;
        if (mode.hsetrootOption && !hsetroot.isEmpty()) {
            const double theirs = bestOf(3, [&] {
                QProcess::execute(hsetroot, {QString::fromLatin1(mode.hsetrootOption), photo});
            });
            out << "  hsetroot " << theirs << "  ratio " << ours / theirs;
        }
        out << "\n";
    }
    // Where the time of one unscaled centred change goes.
    QString error;
    QImage decoded;
    const double decode = bestOf(3, [&] { decoded = Picture::load(photo, &error); });
    const double write = bestOf(3, [&] { files.writeBitmap(decoded, &error); });
    const double apply = bestOf(3, [&] { desktop.apply({}, decoded, WallpaperStyle::Center); });
    out << "  of which: decode " << decode << ", write bitmap " << write << ", X11 apply " << apply
        << "\n";
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "peak RSS " << usage.ru_maxrss / 1024 << " MB\n";
    return 0;
}
