#include "desktops/xfcebackend.h"
#include "screenshot.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

Q_DECLARE_METATYPE(WallpaperStyle)

namespace {

// What xfdesktop 4.18 found in a profile from an older XFCE: per-number
// monitors only. Icons are off so nothing but the backdrop is on screen.
const char *const OldProfile = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty">
    <property name="screen0" type="empty">
      <property name="monitor0" type="empty">
        <property name="workspace0" type="empty">
          <property name="last-image" type="string" value="/usr/share/backgrounds/xfce/xfce-shapes.svg"/>
          <property name="image-style" type="int" value="5"/>
        </property>
      </property>
      <property name="monitor1" type="empty">
        <property name="workspace0" type="empty">
          <property name="last-image" type="string" value="/usr/share/backgrounds/xfce/xfce-shapes.svg"/>
        </property>
      </property>
    </property>
  </property>
  <property name="desktop-icons" type="empty">
    <property name="style" type="int" value="0"/>
  </property>
</channel>
)XML";

// A bus with no activatable services: everything on it is started here.
const char *const BusConfig = R"XML(<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)XML";

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           40;
}

// Left half one colour, right half another: placement shows in a few pixels.
QString writePicture(const QString &path, QColor left, QColor right) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(right);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            image.setPixel(x, y, left.rgb());
    image.save(path, "BMP");
    return path;
}

// Where each half of the 200x100 picture must be on a 1024x768 screen, and a
// point that must show neither (-1: none).
struct Placement {
    QPoint left, right, outside;
};

Placement placement(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return {{850, 650}, {950, 650}, {-1, -1}};
    case WallpaperStyle::Center:
        return {{462, 384}, {562, 384}, {100, 600}};
    default:
        return {{256, 384}, {768, 600}, {-1, -1}};
    }
}

bool shows(WallpaperStyle style, QColor left, QColor right) {
    const QImage shot = screenshot();
    const Placement at = placement(style);
    if (shot.isNull() || !near(shot.pixel(at.left), left.rgb()) ||
        !near(shot.pixel(at.right), right.rgb()))
        return false;
    return at.outside.x() < 0 || (!near(shot.pixel(at.outside), left.rgb()) &&
                                  !near(shot.pixel(at.outside), right.rgb()));
}

// One colour over the whole screen, the tray's corner aside.
bool showsPlainColour() {
    const QImage shot = screenshot();
    if (shot.isNull())
        return false;
    const QRgb colour = shot.pixel(10, 300);
    for (int y = 40; y < shot.height(); y += 37)
        for (int x = 0; x < shot.width(); x += 41)
            if (shot.pixel(x, y) != colour)
                return false;
    return true;
}

bool channelAnswers() {
    QProcess query;
    query.start("xfconf-query", {"-c", "xfce4-desktop", "-l"});
    return query.waitForFinished() && query.exitCode() == 0;
}

} // namespace

class TestXfceBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void oldProfile_xfdesktopStartsWithOurPicture();
    void apply_showsThePictureInEachStyle_data();
    void apply_showsThePictureInEachStyle();
    void sameFileChanged_isShownAgain();
    void afterARestart_anotherFileIsShown();
    void clear_leavesAPlainColour();

private:
    QProcess *start(const QString &program, const QStringList &arguments);
    void startXfdesktop();
    static XfceBackend backend() { return XfceBackend({QStringLiteral("screen")}); }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes; // stopped in reverse order
    QProcessEnvironment m_environment;
};

QProcess *TestXfceBackend::start(const QString &program, const QStringList &arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_environment);
    process->setStandardErrorFile(m_dir.filePath(QFileInfo(program).fileName() + ".log"));
    process->start(program, arguments);
    if (!process->waitForStarted())
        return nullptr;
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

void TestXfceBackend::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
    const QString xfconfd =
        QSettings("/usr/share/dbus-1/services/org.xfce.Xfconf.service", QSettings::IniFormat)
            .value("D-BUS Service/Exec")
            .toString();
    if (QStandardPaths::findExecutable("xfdesktop").isEmpty() || !QFile::exists(xfconfd))
        QSKIP("needs xfdesktop4 and xfconf");
    const QString channels = m_dir.filePath("config/xfce4/xfconf/xfce-perchannel-xml");
    QVERIFY(QDir().mkpath(channels));
    QFile profile(channels + "/xfce4-desktop.xml");
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write(OldProfile);
    profile.close();
    QFile config(m_dir.filePath("bus.conf"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(BusConfig);
    config.close();

    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert("HOME", m_dir.path());
    m_environment.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    m_environment.insert("XDG_CACHE_HOME", m_dir.filePath("cache"));
    m_environment.insert("GIO_USE_VFS", "local");
    m_environment.insert("NO_AT_BRIDGE", "1");
    QProcess *bus = start("dbus-daemon",
                          {"--nofork", "--print-address=1", "--config-file=" + config.fileName()});
    QVERIFY(bus);
    QVERIFY(bus->waitForReadyRead(5000));
    const QByteArray address = bus->readLine().trimmed();
    m_environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(address));
    qputenv("DBUS_SESSION_BUS_ADDRESS", address); // for the backend's xfconf-query
    QVERIFY(start(xfconfd, {}));
    QTRY_VERIFY(channelAnswers());
}

void TestXfceBackend::cleanupTestCase() {
    while (!m_processes.empty()) {
        QProcess &process = *m_processes.back();
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished();
        }
        m_processes.pop_back();
    }
}

void TestXfceBackend::startXfdesktop() {
    QVERIFY(start("xfdesktop", {"--disable-wm-check"}));
}

void TestXfceBackend::oldProfile_xfdesktopStartsWithOurPicture() {
    const QString picture = writePicture(m_dir.filePath("Rotafond-1.bmp"), Qt::red, Qt::blue);
    const ApplyResult result = backend().apply(picture, QImage(), WallpaperStyle::Stretch);
    QVERIFY2(result.ok, qPrintable(result.error));
    startXfdesktop();
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Stretch, Qt::red, Qt::blue), 15000);
}

void TestXfceBackend::apply_showsThePictureInEachStyle_data() {
    QTest::addColumn<WallpaperStyle>("style");
    QTest::newRow("tile") << WallpaperStyle::Tile;
    QTest::newRow("center") << WallpaperStyle::Center;
    QTest::newRow("stretch") << WallpaperStyle::Stretch;
}

void TestXfceBackend::apply_showsThePictureInEachStyle() {
    QFETCH(WallpaperStyle, style);
    const QString picture = writePicture(m_dir.filePath("Rotafond-2.bmp"), Qt::green, Qt::blue);
    const ApplyResult result = backend().apply(picture, QImage(), style);
    QVERIFY2(result.ok, qPrintable(result.error));
    QTRY_VERIFY_WITH_TIMEOUT(shows(style, Qt::green, Qt::blue), 10000);
}

void TestXfceBackend::sameFileChanged_isShownAgain() {
    XfceBackend xfce = backend();
    const QString path = m_dir.filePath("Rotafond.bmp");
    QVERIFY(
        xfce.apply(writePicture(path, Qt::red, Qt::green), QImage(), WallpaperStyle::Center).ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Center, Qt::red, Qt::green), 10000);
    QVERIFY(
        xfce.apply(writePicture(path, Qt::yellow, Qt::blue), QImage(), WallpaperStyle::Center).ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Center, Qt::yellow, Qt::blue), 10000);
}

void TestXfceBackend::afterARestart_anotherFileIsShown() {
    QVERIFY(backend()
                .apply(writePicture(m_dir.filePath("a.bmp"), Qt::red, Qt::blue), QImage(),
                       WallpaperStyle::Tile)
                .ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Tile, Qt::red, Qt::blue), 10000);
    // A new run of the program: a new backend, another file.
    QVERIFY(backend()
                .apply(writePicture(m_dir.filePath("b.bmp"), Qt::blue, Qt::yellow), QImage(),
                       WallpaperStyle::Tile)
                .ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Tile, Qt::blue, Qt::yellow), 10000);
}

void TestXfceBackend::clear_leavesAPlainColour() {
    QVERIFY(backend()
                .apply(writePicture(m_dir.filePath("c.bmp"), Qt::red, Qt::blue), QImage(),
                       WallpaperStyle::Stretch)
                .ok);
    QTRY_VERIFY_WITH_TIMEOUT(shows(WallpaperStyle::Stretch, Qt::red, Qt::blue), 10000);
    const ApplyResult result = backend().apply(QString(), QImage(), WallpaperStyle::Clear);
    QVERIFY2(result.ok, qPrintable(result.error));
    QTRY_VERIFY_WITH_TIMEOUT(showsPlainColour(), 10000);
}

QTEST_GUILESS_MAIN(TestXfceBackend)
#include "tst_xfcebackend.moc"
