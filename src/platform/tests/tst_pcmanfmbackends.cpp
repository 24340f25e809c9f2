#include "desktops/lxdebackend.h"
#include "desktops/lxqtbackend.h"
#include "desktops/x11desktopwindow.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Spots on the 1024x768 test screen, clear of desktop icons (top left) and
// the tray (top right). A 64x48 picture, left half one colour and right half
// another, shows there as follows.
struct Spot {
    int x;
    int y;
    char tile;    // 'L' left colour, 'R' right colour
    char center;  // 'L', 'R' or 'B' background
    char stretch; // 'L' or 'R'
};
const Spot Spots[] = {
    {490, 384, 'R', 'L', 'L'},
    {540, 384, 'L', 'R', 'R'},
    {300, 600, 'R', 'B', 'L'},
    {650, 600, 'L', 'B', 'R'},
};
// The centred picture spans 480..543; 540 % 64 lies in the left half of a
// tile, 490 % 64 in the right one.
static_assert(540 % 64 < 32 && 490 % 64 >= 32);

struct Picture {
    QRgb left;
    QRgb right;
};
const Picture First{qRgb(220, 30, 30), qRgb(30, 200, 30)};
const Picture Second{qRgb(30, 30, 220), qRgb(230, 220, 20)};

QRgb screenPixel(int x, int y) {
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    QRgb pixel = 0x1000000; // matches no colour
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x),
                                              int16_t(y), 1, 1, ~0u),
                                nullptr),
            &std::free);
        if (reply && xcb_get_image_data_length(reply.get()) >= 4)
            pixel =
                qRgb(0, 0, 0) |
                (*reinterpret_cast<const uint32_t *>(xcb_get_image_data(reply.get())) & 0xffffff);
    }
    xcb_disconnect(c);
    return pixel;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           30;
}

// True when every spot shows what the picture in the style should show.
bool screenShows(const Picture &picture, WallpaperStyle style) {
    for (const Spot &spot : Spots) {
        const char part = style == WallpaperStyle::Tile     ? spot.tile
                          : style == WallpaperStyle::Center ? spot.center
                          : style == WallpaperStyle::Clear  ? 'B'
                                                            : spot.stretch;
        const QRgb expected = part == 'L'   ? picture.left
                              : part == 'R' ? picture.right
                                            : qRgb(0, 0, 0);
        if (!near(screenPixel(spot.x, spot.y), expected))
            return false;
    }
    return true;
}

void writePicture(const QString &path, const Picture &picture) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(picture.left);
    for (int y = 0; y < 48; ++y)
        for (int x = 32; x < 64; ++x)
            image.setPixel(x, y, picture.right);
    QVERIFY(image.save(path, "BMP"));
}

} // namespace

class TestPcmanfmBackends : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void showsWhatItIsGiven_data();
    void showsWhatItIsGiven();

private:
    void startDesktop(const QString &program, const QByteArray &windowClass);
    void stopDesktop();

    QTemporaryDir m_dir;
    QProcess m_desktop;
};

void TestPcmanfmBackends::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
    QVERIFY(m_dir.isValid());
    // A home of its own: the desktops must not read or change the user's settings.
    for (const char *variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = m_dir.filePath(QString::fromLatin1(variable));
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        qputenv(variable, folder.toUtf8());
    }
}

void TestPcmanfmBackends::cleanup() {
    stopDesktop();
}

void TestPcmanfmBackends::startDesktop(const QString &program, const QByteArray &windowClass) {
    m_desktop.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_desktop.start(program, {QStringLiteral("--desktop")});
    QVERIFY2(m_desktop.waitForStarted(), qPrintable(m_desktop.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(hasX11DesktopWindow(windowClass), 10000);
}

void TestPcmanfmBackends::stopDesktop() {
    if (m_desktop.state() == QProcess::NotRunning)
        return;
    m_desktop.terminate();
    if (!m_desktop.waitForFinished(5000)) {
        m_desktop.kill();
        m_desktop.waitForFinished(5000);
    }
}

void TestPcmanfmBackends::showsWhatItIsGiven_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("windowClass");
    QTest::addColumn<std::function<std::unique_ptr<DesktopBackend>()>>("create");
    QTest::newRow("LXQt") << QStringLiteral("pcmanfm-qt") << QByteArray("pcmanfm-qt")
                          << std::function([]() -> std::unique_ptr<DesktopBackend> {
                                 return std::make_unique<LxqtBackend>();
                             });
    QTest::newRow("LXDE") << QStringLiteral("pcmanfm") << QByteArray("Pcmanfm")
                          << std::function([]() -> std::unique_ptr<DesktopBackend> {
                                 return std::make_unique<LxdeBackend>();
                             });
}

void TestPcmanfmBackends::showsWhatItIsGiven() {
    QFETCH(QString, program);
    QFETCH(QByteArray, windowClass);
    QFETCH(std::function<std::unique_ptr<DesktopBackend>()>, create);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("the desktop program is not installed");
    const QString one = m_dir.filePath(QStringLiteral("Rotafond-1.bmp"));
    const QString two = m_dir.filePath(QStringLiteral("Rotafond-2.bmp"));
    writePicture(one, First);

    // Without the desktop nothing would show: say so.
    const ApplyResult absent = create()->apply(one, {}, WallpaperStyle::Stretch);
    QVERIFY(!absent.ok);
    QVERIFY2(absent.error.contains(QStringLiteral("not running")), qPrintable(absent.error));

    startDesktop(program, windowClass);
    std::unique_ptr<DesktopBackend> backend = create();
    const auto apply = [&](const QString &path, WallpaperStyle style) {
        const ApplyResult result = backend->apply(path, {}, style);
        QVERIFY2(result.ok, qPrintable(result.error));
    };
    for (const WallpaperStyle style :
         {WallpaperStyle::Center, WallpaperStyle::Tile, WallpaperStyle::Stretch}) {
        apply(one, style);
        QTRY_VERIFY_WITH_TIMEOUT(screenShows(First, style), 5000);
    }
    // New contents under the name it shows, then under the other name.
    writePicture(one, Second);
    apply(one, WallpaperStyle::Stretch);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows(Second, WallpaperStyle::Stretch), 5000);
    writePicture(two, First);
    apply(two, WallpaperStyle::Stretch);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows(First, WallpaperStyle::Stretch), 5000);

    // After a restart the first name may be the one the desktop shows.
    backend = create();
    writePicture(two, Second);
    apply(two, WallpaperStyle::Stretch);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows(Second, WallpaperStyle::Stretch), 5000);
    apply(two, WallpaperStyle::Tile);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows(Second, WallpaperStyle::Tile), 5000);

    apply(QString(), WallpaperStyle::Clear);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows({}, WallpaperStyle::Clear), 5000);
    apply(one, WallpaperStyle::Center);
    QTRY_VERIFY_WITH_TIMEOUT(screenShows(Second, WallpaperStyle::Center), 5000);

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_dir.filePath(QStringLiteral("nothing")).toUtf8());
    const ApplyResult missing = backend->apply(one, {}, WallpaperStyle::Tile);
    qputenv("PATH", path);
    QVERIFY(!missing.ok);
    QVERIFY2(missing.error.contains(program), qPrintable(missing.error));

    stopDesktop();
    QVERIFY(!create()->apply(two, {}, WallpaperStyle::Stretch).ok);
}

QTEST_GUILESS_MAIN(TestPcmanfmBackends)
#include "tst_pcmanfmbackends.moc"
