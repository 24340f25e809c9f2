#include "desktops/x11rootbackend.h"
#include "screenrender.h"

#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

Q_DECLARE_METATYPE(WallpaperStyle)

namespace {

// Reads what the X server really holds: the root's wallpaper properties and pixels.
class RootReader {
public:
    RootReader()
        : m_connection(xcb_connect(nullptr, nullptr)) {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    }
    ~RootReader() { xcb_disconnect(m_connection); }

    QSize size() const { return {m_screen->width_in_pixels, m_screen->height_in_pixels}; }

    xcb_pixmap_t property(const char *name) const {
        auto *atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr);
        auto *reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_screen->root, atom->atom, XCB_ATOM_PIXMAP, 0, 1),
            nullptr);
        xcb_pixmap_t pixmap = XCB_NONE;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pixmap = *static_cast<xcb_pixmap_t *>(xcb_get_property_value(reply));
        std::free(reply);
        std::free(atom);
        return pixmap;
    }

    bool exists(xcb_drawable_t drawable) const {
        xcb_generic_error_t *error = nullptr;
        auto *reply =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, drawable), &error);
        std::free(error);
        const bool found = reply != nullptr;
        std::free(reply);
        return found;
    }

    QImage pixels(xcb_drawable_t drawable, QRect area) const {
        xcb_generic_error_t *error = nullptr;
        auto *reply = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
            &error);
        if (!reply) {
            qWarning("GetImage failed: error %d", error ? error->error_code : -1);
            std::free(error);
            return {};
        }
        const QImage image(xcb_get_image_data(reply), area.width(), area.height(), area.width() * 4,
                           QImage::Format_RGB32);
        QImage copy = image.copy();
        std::free(reply);
        return copy;
    }

    xcb_window_t root() const { return m_screen->root; }
    xcb_connection_t *connection() const { return m_connection; }

    xcb_atom_t atom(const char *name) const {
        auto *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    // A screen-covering window of the desktop type, as file managers draw
    // their icons in.
    xcb_window_t showDesktopWindow(bool overrideRedirect) const {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const uint32_t values[] = {m_screen->white_pixel, overrideRedirect};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_screen->root, 0, 0,
                          m_screen->width_in_pixels, m_screen->height_in_pixels, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        const xcb_atom_t desktop = atom("_NET_WM_WINDOW_TYPE_DESKTOP");
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window,
                            atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &desktop);
        const char wmClass[] = "deskicons\0Deskicons";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, sizeof(wmClass), wmClass);
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

private:
    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
};

QImage wallpaper() {
    QImage image(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 11, 200));
    return image;
}

} // namespace

class TestX11RootBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void apply_showsThePictureOnTheRoot_data();
    void apply_showsThePictureOnTheRoot();
    void consecutiveChanges_freeThePreviousPixmap();
    void clear_showsNoPicture();
    void desktopWindowOverTheRoot_isReported_data();
    void desktopWindowOverTheRoot_isReported();
    void renderScreen_centresLargerPicturesCropped();
};

void TestX11RootBackend::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
}

void TestX11RootBackend::apply_showsThePictureOnTheRoot_data() {
    QTest::addColumn<WallpaperStyle>("style");
    QTest::newRow("tile") << WallpaperStyle::Tile;
    QTest::newRow("center") << WallpaperStyle::Center;
    QTest::newRow("stretch") << WallpaperStyle::Stretch;
}

void TestX11RootBackend::apply_showsThePictureOnTheRoot() {
    QFETCH(WallpaperStyle, style);
    X11RootBackend backend;
    const ApplyResult result = backend.apply(QString(), wallpaper(), style);
    QVERIFY2(result.ok, qPrintable(result.error));

    const RootReader reader;
    const xcb_pixmap_t pixmap = reader.property("_XROOTPMAP_ID");
    QVERIFY(pixmap != XCB_NONE);
    QCOMPARE(reader.property("ESETROOT_PMAP_ID"), pixmap);
    const QImage expected = renderScreen(wallpaper(), reader.size(), style);
    QCOMPARE(reader.pixels(pixmap, QRect(QPoint(0, 0), reader.size())), expected);
    // And the root window itself shows it (a band no panel covers).
    const QRect band(0, reader.size().height() / 2, reader.size().width(), 40);
    QCOMPARE(reader.pixels(reader.root(), band), expected.copy(band));
    if (style == WallpaperStyle::Tile)
        QCOMPARE(expected.pixel(37 + 5, 23 + 7), wallpaper().pixel(5, 7));
}

void TestX11RootBackend::consecutiveChanges_freeThePreviousPixmap() {
    X11RootBackend backend;
    QVERIFY(backend.apply(QString(), wallpaper(), WallpaperStyle::Tile).ok);
    const RootReader reader;
    const xcb_pixmap_t first = reader.property("_XROOTPMAP_ID");
    QImage second(10, 10, QImage::Format_RGB32);
    second.fill(Qt::magenta);
    QVERIFY(backend.apply(QString(), second, WallpaperStyle::Tile).ok);
    const xcb_pixmap_t current = reader.property("_XROOTPMAP_ID");
    QVERIFY(current != first);
    QVERIFY(!reader.exists(first));
    QCOMPARE(reader.pixels(reader.root(), QRect(0, 400, 1, 1)).pixel(0, 0),
             QColor(Qt::magenta).rgb());
}

void TestX11RootBackend::clear_showsNoPicture() {
    X11RootBackend backend;
    QVERIFY(backend.apply(QString(), wallpaper(), WallpaperStyle::Stretch).ok);
    const RootReader reader;
    const xcb_pixmap_t shown = reader.property("_XROOTPMAP_ID");
    QVERIFY(backend.apply(QString(), QImage(), WallpaperStyle::Clear).ok);
    QCOMPARE(reader.property("_XROOTPMAP_ID"), xcb_pixmap_t(XCB_NONE));
    QCOMPARE(reader.property("ESETROOT_PMAP_ID"), xcb_pixmap_t(XCB_NONE));
    QVERIFY(!reader.exists(shown));
    const QImage band = reader.pixels(reader.root(), QRect(0, 400, reader.size().width(), 8));
    QImage black(band.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    QCOMPARE(band, black);
}

void TestX11RootBackend::desktopWindowOverTheRoot_isReported_data() {
    QTest::addColumn<bool>("overrideRedirect");
    QTest::newRow("managed by the window manager") << false;
    QTest::newRow("unmanaged") << true;
}

void TestX11RootBackend::desktopWindowOverTheRoot_isReported() {
    QFETCH(bool, overrideRedirect);
    const RootReader reader;
    const xcb_window_t window = reader.showDesktopWindow(overrideRedirect);
    X11RootBackend backend;
    ApplyResult result;
    QTRY_VERIFY(!(result = backend.apply(QString(), wallpaper(), WallpaperStyle::Tile)).ok);
    QCOMPARE(result.error, "Deskicons draws its own desktop over the X root window, so "
                           "Rotafond's wallpaper would stay hidden under it.");

    xcb_destroy_window(reader.connection(), window);
    xcb_flush(reader.connection());
    QTRY_VERIFY(backend.apply(QString(), wallpaper(), WallpaperStyle::Tile).ok);
    const QRect band(0, 400, reader.size().width(), 8);
    QCOMPARE(reader.pixels(reader.root(), band),
             renderScreen(wallpaper(), reader.size(), WallpaperStyle::Tile).copy(band));
}

void TestX11RootBackend::renderScreen_centresLargerPicturesCropped() {
    QImage big(300, 200, QImage::Format_RGB32);
    big.fill(Qt::white);
    big.setPixel(150, 100, qRgb(255, 0, 0));
    const QImage desktop = renderScreen(big, QSize(100, 50), WallpaperStyle::Center);
    QCOMPARE(desktop.pixel(50, 25), qRgb(255, 0, 0));
}

QTEST_GUILESS_MAIN(TestX11RootBackend)
#include "tst_x11rootbackend.moc"
