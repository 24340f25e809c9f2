// Times the store with long lists through the real store code: the UI thread's
// cost of one "NextFile" write, saving the list (the UI thread's part, then
// until it is on the disk) and loading it at start.
// Usage: bench_liststore [entries...]   (default 10000 100000)
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

double medianMs(QList<qint64> nanoseconds) {
    std::sort(nanoseconds.begin(), nanoseconds.end());
    return nanoseconds.at(nanoseconds.size() / 2) / 1e6;
}

bool run(int count, QTextStream &out) {
    QTemporaryDir dir;
    QList<WallpaperEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("Holiday pictures %1.jpg").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        entries.append({path, i % 2 == 0, true, i % 3 == 0});
    }
    const QString config = dir.filePath(QStringLiteral("Rotafond.conf"));
    QList<qint64> saves;
    QList<qint64> savesToDisk;
    QList<qint64> loads;
    QList<qint64> writes;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        QFile::remove(config); // every round writes the whole list
        {
            SettingsStore settings(config, {});
            timer.start();
            WallpaperListStore store(settings);
            store.save(entries);
            saves.append(timer.nsecsElapsed());
            if (!store.sync())
                return false;
            savesToDisk.append(timer.nsecsElapsed());
        }
        timer.start();
        SettingsStore settings(config, {}); // a fresh start reads the file too
        const auto loaded = WallpaperListStore(settings).load([](int, const QString &) {});
        loads.append(timer.nsecsElapsed());
        if (loaded != entries)
            return false;
        // Half the writes find the previous one still being written by the worker.
        for (int i = 0; i < 20; ++i) {
            timer.start();
            settings.write(SettingsKeys::NextFile, 2 * i + 1);
            writes.append(timer.nsecsElapsed());
            QCoreApplication::processEvents();
            timer.start();
            settings.write(SettingsKeys::NextFile, 2 * i + 2);
            writes.append(timer.nsecsElapsed());
            if (!settings.sync())
                return false;
        }
    }
    out << "entries " << count << ": NextFile write on the UI thread " << medianMs(writes)
        << " ms (median of " << writes.size() << ", max "
        << *std::max_element(writes.begin(), writes.end()) / 1e6 << " ms); save " << medianMs(saves)
        << " ms on the UI thread, " << medianMs(savesToDisk) << " ms until on disk; load "
        << medianMs(loads) << " ms (medians of 5)\n";
    out.flush();
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {10000, 100000};
    QTextStream out(stdout);
    for (const int count : counts)
        if (!run(count, out))
            return 1;
    return 0;
}
