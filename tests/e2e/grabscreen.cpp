// Saves what the X display shows as a PNG (grabscreen out.png), for scripts/screenshots.sh.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return argc == 2 && QGuiApplication::primaryScreen()->grabWindow(0).save(
                            QString::fromLocal8Bit(argv[1]))
               ? 0
               : 1;
}
