// Times adding 1000 12-megapixel JPEGs to the list (header reads only) and
// reports how resident memory grows with the count.
//   build/bench/bench/bench_addfiles
#include "addfile.h"
#include "benchsupport.h"
#include "wallpaperlist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    QImage photo(4000, 3000, QImage::Format_RGB32);
    QPainter(&photo).fillRect(photo.rect(), QLinearGradient(0, 0, 4000, 3000));
    const QString original = dir.filePath("photo.jpg");
    photo.save(original, "JPEG", 90);
    photo = QImage();
    const QStringList paths = hardLinks({original}, 1000, [&](int i) {
        return dir.filePath(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    });
    WallpaperList list;
    const NewEntryDefaults defaults{QStringLiteral("512"), QStringLiteral("384")};
    const long before = residentKb();
    long afterHundred = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < paths.size(); ++i) {
        if (!addFileToList(list, paths.at(i), defaults, QSize(512, 384)).added)
            return 1;
        if (i == 99)
            afterHundred = residentKb();
    }
    const double elapsed = timer.nsecsElapsed() / 1e6;
    out << "added " << list.count() << " 4000x3000 JPEGs in " << elapsed << " ms\n";
    out << "RSS: before " << before / 1024 << " MB, after 100 " << afterHundred / 1024
        << " MB, after 1000 " << residentKb() / 1024 << " MB\n";
    return 0;
}
