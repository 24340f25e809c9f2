// Saves two different lists alternately, as fast as it can, until killed.
// Prints "ready" once the first save is on disk.
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SettingsStore settings(QString::fromLocal8Bit(argv[1]), {});
    WallpaperListStore store(settings);
    QList<WallpaperEntry> lists[2];
    for (int i = 0; i < QByteArray(argv[2]).toInt(); ++i) {
        lists[0].append({QStringLiteral("/a/%1.jpg").arg(i), true, true, false});
        lists[1].append({QStringLiteral("/b/%1.jpg").arg(i), false, false, true});
    }
    lists[1].append({QStringLiteral("/b/extra.jpg"), false, false, true});
    for (int round = 0;; ++round) {
        store.save(lists[round % 2]);
        if (!store.sync())
            return 1;
        if (round == 0)
            std::cout << "ready" << std::endl;
    }
}
