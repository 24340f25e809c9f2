// Saves two different lists alternately, as fast as it can, until killed.
// Prints "ready" once the first save is on disk.
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    const int count = args.at(2).toInt();
    SettingsStore settings(args.at(1), {});
    WallpaperListStore store(settings);
    QList<WallpaperEntry> lists[2];
    for (int i = 0; i < count; ++i) {
        lists[0].append({QStringLiteral("/a/%1.jpg").arg(i), true, true, false});
        lists[1].append({QStringLiteral("/b/%1.jpg").arg(i), false, false, true});
    }
    lists[1].append({QStringLiteral("/b/extra.jpg"), false, false, true});
    for (int round = 0;; ++round) {
        store.save(lists[round % 2]);
        if (!store.sync())
            return 1;
        if (round == 0)
            QTextStream(stdout) << "ready" << Qt::endl;
    }
}
