#include "desktops/gsettingsbackend.h"
#include "privatesettings.h"
#include "screenshot.h"
#include "wallpaperfiles.h"

#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// The screen shows colour at every point (screen coordinates).
bool shows(const QList<std::pair<QPoint, QRgb>> &expected) {
    const QImage shot = screenshot();
    for (const auto &[point, colour] : expected) {
        const QRgb seen = shot.pixel(point);
        if (std::abs(qRed(seen) - qRed(colour)) + std::abs(qGreen(seen) - qGreen(colour)) +
                std::abs(qBlue(seen) - qBlue(colour)) >
            30)
            return false;
    }
    return true;
}

void set(const char *key, const char *value) {
    QProcess::execute("gsettings", {"set", "org.mate.background", key, value});
}

const QRgb DesktopColour = qRgb(0x20, 0x40, 0x80);

} // namespace

// MATE's own desktop drawer, caja, on the test's display and dconf.
class TestCajaDesktop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void changes_showOnTheDesktopUntilCleared();

private:
    // Left half one colour, right half the other, as a change writes it.
    QString change(WallpaperFiles &files, GSettingsDesktopBackend &backend, QRgb left, QRgb right,
                   WallpaperStyle style) {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(right);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                image.setPixel(x, y, left);
        QString error;
        const QString name = files.writeBitmap(image, &error) ? files.freshlyNamedCopy(&error) : "";
        const ApplyResult result = backend.apply(name, image, style);
        return name.isEmpty() || !result.ok ? error + result.error : QString();
    }

    PrivateSettings m_settings;
    QProcess m_caja;
    QTemporaryDir m_dir;
};

void TestCajaDesktop::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the X display test.sh provides");
    if (QStandardPaths::findExecutable("caja").isEmpty())
        QSKIP("caja is not installed");
    const QString missing = m_settings.start();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    // The user's desktop colour, plain, and no icons over the pixels looked at.
    set("color-shading-type", "solid");
    set("primary-color", "#204080");
    set("picture-filename", "");
    set("show-desktop-icons", "false");
    m_caja.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_caja.start("caja", {"--force-desktop", "--no-default-window", "--sm-client-disable"});
    QVERIFY(m_caja.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(shows({{{500, 400}, DesktopColour}, {{10, 750}, DesktopColour}}),
                             15000);
}

void TestCajaDesktop::cleanupTestCase() {
    if (m_caja.state() == QProcess::NotRunning)
        return;
    m_caja.kill();
    m_caja.waitForFinished();
}

void TestCajaDesktop::changes_showOnTheDesktopUntilCleared() {
    const QRgb red = qRgb(220, 0, 0), green = qRgb(0, 200, 0), blue = qRgb(0, 0, 230),
               yellow = qRgb(230, 230, 0);
    {
        WallpaperFiles files(m_dir.path());
        GSettingsDesktopBackend backend(GSettingsDesktopBackend::Mate);
        QCOMPARE(change(files, backend, red, green, WallpaperStyle::Stretch), QString());
        QTRY_VERIFY_WITH_TIMEOUT(shows({{{100, 400}, red}, {{900, 400}, green}}), 5000);
        // A different picture under the same style.
        QCOMPARE(change(files, backend, blue, yellow, WallpaperStyle::Stretch), QString());
        QTRY_VERIFY_WITH_TIMEOUT(shows({{{100, 400}, blue}, {{900, 400}, yellow}}), 5000);
        // The same picture again, centred: the colour shows around it.
        QCOMPARE(change(files, backend, blue, yellow, WallpaperStyle::Center), QString());
        QTRY_VERIFY_WITH_TIMEOUT(
            shows({{{462, 384}, blue}, {{562, 384}, yellow}, {{100, 100}, DesktopColour}}), 5000);
        QCOMPARE(change(files, backend, red, green, WallpaperStyle::Tile), QString());
        QTRY_VERIFY_WITH_TIMEOUT(
            shows({{{50, 150}, red}, {{150, 150}, green}, {{250, 150}, red}, {{350, 450}, green}}),
            5000);
    }
    // A restart: new objects, and the first picture of the run shows.
    WallpaperFiles files(m_dir.path());
    GSettingsDesktopBackend backend(GSettingsDesktopBackend::Mate);
    QCOMPARE(change(files, backend, green, blue, WallpaperStyle::Stretch), QString());
    QTRY_VERIFY_WITH_TIMEOUT(shows({{{100, 400}, green}, {{900, 400}, blue}}), 5000);

    QVERIFY(backend.apply(QString(), QImage(), WallpaperStyle::Clear).ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows({{{100, 400}, DesktopColour},
                                    {{900, 400}, DesktopColour},
                                    {{512, 700}, DesktopColour}}),
                             5000);
}

QTEST_GUILESS_MAIN(TestCajaDesktop)
#include "tst_cajadesktop.moc"
