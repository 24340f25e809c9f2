// Saves what the X display shows, windows and their frames, as a PNG:
//   grabscreen out.png
// scripts/screenshots.sh takes its pictures of the program's windows with it.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))
               ? 0
               : 1;
}
