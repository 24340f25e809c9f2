// Times what the main window does for the user: showing a selected 24 MP
// photo (dimensions, fitted picture, preview), a click in the settings panel
// until the preview is painted again for that photo and a 4096 x 4096 WebP,
// and scrolling a 10 000-entry list, with the longest single event-loop
// step. Runs offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/bench_mainwindow
#include "mainwindow.h"
#include "scriptedprompter.h"
#include "settingspanel.h"
#include "wallpaperlist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <tuple>

namespace {

QImage patches(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 3000; ++i)
        painter.fillRect(random->bounded(size.width()), random->bounded(size.height()), 90, 60,
                         QColor::fromRgb(random->generate()));
    return image;
}

bool shows(const QWidget &window, const QString &text) {
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->text() == text)
            return true;
    return false;
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct ClickTimes {
    double median = 0;
    double longest = 0;
    double medianCpu = 0; // the UI thread's own work, whatever else the machine does
};

// Clicks through the panel's options, each click until the window, preview
// included, is painted again.
ClickTimes timePanelClicks(QApplication &app, MainWindow &window, int position,
                           const QString &shown) {
    window.selectPosition(position);
    while (!shows(window, shown))
        app.processEvents(QEventLoop::WaitForMoreEvents);
    auto *panel = window.findChild<SettingsPanel *>();
    const SettingsPanel::Option cycle[] = {SettingsPanel::Stretch,     SettingsPanel::Tiled,
                                           SettingsPanel::ResizeNo,    SettingsPanel::ResizeYes,
                                           SettingsPanel::SingleImage, SettingsPanel::Proportional};
    QList<double> times;
    QList<double> cpu;
    for (int round = 0; round < 5; ++round) {
        for (SettingsPanel::Option option : cycle) {
            QElapsedTimer timer;
            const double cpuBefore = threadCpuMs();
            timer.start();
            panel->option(option)->click();
            window.repaint();
            app.processEvents();
            times.append(timer.nsecsElapsed() / 1e6);
            cpu.append(threadCpuMs() - cpuBefore);
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times.at(times.size() / 2), times.last(), cpu.at(cpu.size() / 2)};
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    patches(QSize(6000, 4000)).save(path, "JPEG", 90);
    const QString webp = dir.filePath("square.webp");
    if (!patches(QSize(4096, 4096)).save(webp, "WEBP", 90))
        qFatal("cannot write WebP: is qt6-image-formats-plugins installed?");

    WallpaperList list;
    QList<WallpaperEntry> entries{
        {path, true, true, false}, {path, false, true, true}, {webp, true, true, false}};
    for (int i = 0; i < 10000; ++i)
        entries.append({QStringLiteral("/home/someone/Pictures/Holidays/%1/IMG_%2.jpg")
                            .arg(2000 + i % 25)
                            .arg(i, 5, 10, QLatin1Char('0')),
                        true, true, false});
    list.reset(entries);
    ScriptedPrompter prompter;
    MainWindow window(list, prompter, QSize(1024, 768));
    window.show();
    app.processEvents();

    // The picture decodes on a worker: time the UI thread's part and the wait
    // until the window shows the picture.
    double bestUi = 1e300, bestShown = 1e300;
    for (int round = 0; round < 3; ++round) {
        // An entry on a missing drive clears the picture in between.
        window.selectPosition(3);
        while (!shows(window, QStringLiteral("Image Dimensions")))
            app.processEvents(QEventLoop::WaitForMoreEvents);
        QElapsedTimer timer;
        timer.start();
        window.selectPosition(round % 2);
        bestUi = std::min(bestUi, timer.nsecsElapsed() / 1e6);
        while (!shows(window, QStringLiteral("Image Dimensions: 6000 x 4000")))
            app.processEvents(QEventLoop::WaitForMoreEvents);
        bestShown = std::min(bestShown, timer.nsecsElapsed() / 1e6);
    }
    out << "select a 6000x4000 JPEG: UI thread " << bestUi << " ms, picture shown after "
        << bestShown << " ms (best of 3)\n";

    for (const auto &[position, shown, name] :
         {std::tuple(0, QStringLiteral("Image Dimensions: 6000 x 4000"),
                     QStringLiteral("6000x4000 JPEG")),
          std::tuple(2, QStringLiteral("Image Dimensions: 4096 x 4096"),
                     QStringLiteral("4096x4096 WebP"))}) {
        const ClickTimes times = timePanelClicks(app, window, position, shown);
        out << "panel click to repainted preview, " << name << ": median " << times.median
            << " ms (UI thread CPU " << times.medianCpu << " ms), longest " << times.longest
            << " ms (30 clicks)\n";
    }

    QScrollBar *bar = window.findChild<QListView *>()->verticalScrollBar();
    double longest = 0;
    QElapsedTimer total;
    total.start();
    int steps = 0;
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep() / 2, ++steps) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(value);
        window.repaint();
        app.processEvents();
        longest = std::max(longest, timer.nsecsElapsed() / 1e6);
    }
    out << "scroll 10003 entries in " << steps << " steps: " << total.elapsed()
        << " ms in all, longest step " << longest << " ms\n";
    return 0;
}
