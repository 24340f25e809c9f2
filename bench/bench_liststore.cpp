// Times saving and loading a wallpaper list through the real store code.
// Usage: bench_liststore [entries]   (default 10000)
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    QList<WallpaperEntry> entries;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("Holiday pictures %1.jpg").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        entries.append({path, i % 2 == 0, true, i % 3 == 0});
    }
    const QString config = dir.filePath(QStringLiteral("Rotafond.conf"));
    QTextStream out(stdout);
    qint64 bestSave = LLONG_MAX;
    qint64 bestLoad = LLONG_MAX;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        {
            SettingsStore settings(config, {});
            timer.start();
            WallpaperListStore(settings).save(entries);
            bestSave = std::min(bestSave, timer.nsecsElapsed());
        }
        timer.start();
        SettingsStore settings(config, {}); // a fresh start reads the file too
        const auto loaded = WallpaperListStore(settings).load([](int, const QString &) {});
        bestLoad = std::min(bestLoad, timer.nsecsElapsed());
        if (loaded != entries)
            return 1;
    }
    out << "entries " << count << ": save " << bestSave / 1e6 << " ms, load " << bestLoad / 1e6
        << " ms (best of 5)\n";
    return 0;
}
