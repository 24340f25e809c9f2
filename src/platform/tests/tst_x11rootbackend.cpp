#include "desktops/x11connection.h"
#include "desktops/x11rootbackend.h"
#include "screenrender.h"

#include <QTest>

#include <optional>

namespace {

// No two neighbours alike, so a pixel out of place shows.
QImage wallpaper(QSize size = QSize(37, 23)) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 11, 200));
    return image;
}

// What the X server really holds: the root's wallpaper properties and pixels.
struct Root {
    X11Connection connection;
    xcb_connection_t *c = connection.get();
    xcb_screen_t *screen = connection.screen();
    QSize size = QSize(screen->width_in_pixels, screen->height_in_pixels);

    xcb_pixmap_t property(const char *name) const {
        return propertyValue(c, screen->root, internAtom(c, name), XCB_ATOM_PIXMAP);
    }
    QImage pixels(xcb_drawable_t drawable, QRect area) const {
        const XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
            nullptr));
        return reply ? QImage(xcb_get_image_data(reply.get()), area.width(), area.height(),
                              QImage::Format_RGB32)
                           .copy()
                     : QImage();
    }
    // The root window itself, in a band no panel covers.
    QImage band() const {
        return pixels(screen->root, QRect(0, size.height() / 2, size.width(), 40));
    }
};

} // namespace

// The real root window of the test display. Each monitor's own picture is
// seen on two monitors in tst_multimonitor.
class TestX11RootBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display: run through test.sh");
    }

    void apply_showsThePictureOnTheRoot_data() {
        // One after the other, as the changes of a run and of the next runs.
        QTest::addColumn<std::optional<WallpaperStyle>>("style"); // none: cleared
        QTest::addColumn<QSize>("size");
        QTest::newRow("tile") << std::optional(WallpaperStyle::Tile) << QSize(37, 23);
        QTest::newRow("center, larger than the screen")
            << std::optional(WallpaperStyle::Center) << QSize(1100, 800);
        QTest::newRow("stretch") << std::optional(WallpaperStyle::Stretch) << QSize(37, 23);
        QTest::newRow("clear") << std::optional<WallpaperStyle>() << QSize(37, 23);
        QTest::newRow("center") << std::optional(WallpaperStyle::Center) << QSize(37, 23);
    }

    void apply_showsThePictureOnTheRoot() {
        QFETCH(std::optional<WallpaperStyle>, style);
        QFETCH(QSize, size);
        const Root root;
        const xcb_pixmap_t previous = root.property("_XROOTPMAP_ID");
        QCOMPARE((style ? X11RootBackend().apply(QString(), wallpaper(size), *style)
                        : X11RootBackend().clear())
                     .error(),
                 QString());
        // Other programs (transparent terminals) read the picture from the properties.
        const xcb_pixmap_t pixmap = root.property("_XROOTPMAP_ID");
        QCOMPARE(root.property("ESETROOT_PMAP_ID"), pixmap);
        QCOMPARE(pixmap == XCB_NONE, !style);
        QVERIFY2(previous == XCB_NONE || root.pixels(previous, QRect(0, 0, 1, 1)).isNull(),
                 "the previous pixmap is kept");
        // A cleared root is black, as an empty picture renders.
        const QImage expected = renderScreen(style ? wallpaper(size) : QImage(), root.size,
                                             style.value_or(WallpaperStyle::Center));
        if (pixmap != XCB_NONE)
            QCOMPARE(root.pixels(pixmap, QRect(QPoint(0, 0), root.size)), expected);
        QCOMPARE(root.band(), expected.copy(0, root.size.height() / 2, root.size.width(), 40));
        // One pixel of the picture where it must be, whatever renderScreen says.
        const QPoint inPicture(size.width() / 2, size.height() / 2);
        const QPoint offset = style == WallpaperStyle::Tile
                                  ? QPoint(size.width(), size.height())
                                  : QPoint((root.size.width() - size.width()) / 2,
                                           (root.size.height() - size.height()) / 2);
        if (style == WallpaperStyle::Tile || style == WallpaperStyle::Center)
            QCOMPARE(expected.pixel(inPicture + offset), wallpaper(size).pixel(inPicture));
    }

    void desktopWindowOverTheRoot_isReported_data() {
        QTest::addColumn<bool>("overrideRedirect");
        QTest::newRow("managed by the window manager") << false;
        QTest::newRow("unmanaged") << true;
    }

    // A screen-covering window of the desktop type, as file managers draw
    // their icons in, hides the root: said so until it goes.
    void desktopWindowOverTheRoot_isReported() {
        QFETCH(bool, overrideRedirect);
        const Root root;
        const xcb_window_t window = xcb_generate_id(root.c);
        const uint32_t values[] = {root.screen->white_pixel, overrideRedirect};
        xcb_create_window(root.c, XCB_COPY_FROM_PARENT, window, root.screen->root, 0, 0,
                          uint16_t(root.size.width()), uint16_t(root.size.height()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, root.screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        const xcb_atom_t desktop = internAtom(root.c, "_NET_WM_WINDOW_TYPE_DESKTOP", false);
        xcb_change_property(root.c, XCB_PROP_MODE_REPLACE, window,
                            internAtom(root.c, "_NET_WM_WINDOW_TYPE", false), XCB_ATOM_ATOM, 32, 1,
                            &desktop);
        const char wmClass[] = "deskicons\0Deskicons";
        xcb_change_property(root.c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, sizeof(wmClass), wmClass);
        xcb_map_window(root.c, window);
        xcb_flush(root.c);
        Result<void> result;
        QTRY_VERIFY(!(result = X11RootBackend().apply({}, wallpaper(), WallpaperStyle::Tile)));
        QVERIFY2(result.error().startsWith("Deskicons draws its own desktop"),
                 qPrintable(result.error()));
        xcb_destroy_window(root.c, window);
        xcb_flush(root.c);
        QTRY_VERIFY(X11RootBackend().apply({}, wallpaper(), WallpaperStyle::Tile).ok());
        QCOMPARE(root.band(), renderScreen(wallpaper(), root.size, WallpaperStyle::Tile)
                                  .copy(0, root.size.height() / 2, root.size.width(), 40));
    }
};

QTEST_GUILESS_MAIN(TestX11RootBackend)
#include "tst_x11rootbackend.moc"
