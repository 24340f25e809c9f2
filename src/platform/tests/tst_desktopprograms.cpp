#include "desktops/gsettingsbackend.h"
#include "desktops/lxdebackend.h"
#include "desktops/lxqtbackend.h"
#include "desktops/x11desktopwindow.h"
#include "desktops/xfcebackend.h"
#include "privatesettings.h"
#include "screencheck.h"
#include "screenshot.h"
#include "wallpaperfiles.h"

#include <QTest>

#include <functional>
#include <memory>

namespace {

using MakeBackend = std::function<std::unique_ptr<DesktopBackend>()>;

template <typename Backend, typename... Arguments> MakeBackend make(Arguments... arguments) {
    return [=] { return std::unique_ptr<DesktopBackend>(new Backend(arguments...)); };
}

struct Picture {
    QColor left, right;
};
const Picture First{qRgb(220, 30, 30), qRgb(30, 200, 30)};
const Picture Second{qRgb(30, 30, 220), qRgb(230, 220, 20)};

// Empty once the screen shows the picture in mode ("clear": none), else why
// not after waiting for the desktop to draw it.
QString waitUntilShown(const QString &mode, const Picture &picture = {}) {
    const ScreenExpectation expected{
        mode, picture.left, picture.right, {First.left, First.right, Second.left, Second.right}};
    QString why;
    const auto shown = [&] { return (why = checkScreen(screenshot(), expected)).isEmpty(); };
    return QTest::qWaitFor(shown, 15000) ? QString() : why;
}

// Writes the picture and hands it over named as the program's change does,
// then waits for it unless told not to: empty when shown, else why not.
QString change(WallpaperFiles &files, DesktopBackend &backend, const Picture &picture,
               WallpaperStyle style, bool wait = true) {
    if (const Result<void> written =
            files.writeBitmap(twoColourPicture(picture.left, picture.right));
        !written)
        return written.error();
    const Result<QString> path =
        backend.wantsFreshFileName() ? files.freshlyNamedCopy() : files.bitmapPath();
    const Result<void> applied = path ? backend.apply(*path, {}, style) : Result<void>(path);
    return !applied || !wait ? applied.error() : waitUntilShown(styleWord(style), picture);
}

// A profile from an older XFCE: per-number monitors only, which xfdesktop
// 4.18 no longer reads. No icons over the pixels looked at.
const char *const OldXfceProfile = R"XML(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty"><property name="screen0" type="empty">
    <property name="monitor0" type="empty"><property name="workspace0" type="empty">
      <property name="last-image" type="string" value="/usr/share/backgrounds/xfce/xfce-shapes.svg"/>
    </property></property>
  </property></property>
  <property name="desktop-icons" type="empty"><property name="style" type="int" value="0"/></property>
</channel>
)XML";

} // namespace

// The desktop programs that draw their own desktop window, each on the test
// display with a home, settings and session bus of the test's own, judged by
// the screen's pixels as a change of the program would leave it.
class TestDesktopPrograms : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    PrivateSettings m_settings;
    QProcess m_desktop;

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X display test.sh provides");
        for (const char *program : {"pcmanfm-qt", "pcmanfm", "xfdesktop", "xfconf-query", "caja"})
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(program)));
        // The desktops must not read or change the user's own settings.
        for (const char *variable : {"HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            qputenv(variable, m_dir.filePath(QLatin1String(variable)).toUtf8());
        qputenv("GIO_USE_VFS", "local");
        qputenv("NO_AT_BRIDGE", "1");
        if (const QString missing = m_settings.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        // Read by xfconfd, which the bus starts at the first question.
        const QString channels =
            qEnvironmentVariable("XDG_CONFIG_HOME") + "/xfce4/xfconf/xfce-perchannel-xml";
        QFile profile(channels + "/xfce4-desktop.xml");
        QVERIFY(QDir().mkpath(channels) && profile.open(QIODevice::WriteOnly) &&
                profile.write(OldXfceProfile) > 0);
        profile.close();
        // MATE's desktop in a plain colour, without icons.
        for (const auto &[key, value] : {std::pair{"color-shading-type", "solid"},
                                         {"primary-color", "#204080"},
                                         {"show-desktop-icons", "false"}})
            QCOMPARE(QProcess::execute("gsettings", {"set", "org.mate.background", key, value}), 0);
    }

    void cleanup() {
        m_desktop.kill();
        m_desktop.waitForFinished();
    }

    void showsEveryChange_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QByteArray>("windowClass");
        QTest::addColumn<MakeBackend>("makeBackend");
        QTest::addColumn<bool>("needsTheDesktop"); // else it reads the setting once started
        QTest::addColumn<QString>("tool");         // reloads the same name; empty: MATE, never
        QTest::newRow("LXQt") << QStringList{"pcmanfm-qt", "--desktop"} << QByteArray("pcmanfm-qt")
                              << make<LxqtBackend>() << true << "pcmanfm-qt";
        QTest::newRow("LXDE") << QStringList{"pcmanfm", "--desktop"} << QByteArray("Pcmanfm")
                              << make<LxdeBackend>() << true << "pcmanfm";
        QTest::newRow("XFCE") << QStringList{"xfdesktop", "--disable-wm-check"}
                              << QByteArray("Xfdesktop") << make<XfceBackend>(QStringList{"screen"})
                              << false << "xfconf-query";
        QTest::newRow("MATE") << QStringList{"caja", "--force-desktop", "--no-default-window",
                                             "--sm-client-disable"}
                              << QByteArray("Caja")
                              << make<GSettingsDesktopBackend>(GSettingsDesktopBackend::Mate)
                              << false << "";
    }

    void showsEveryChange() {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, windowClass);
        QFETCH(MakeBackend, makeBackend);
        QFETCH(bool, needsTheDesktop);
        QFETCH(QString, tool);
        auto files = std::make_unique<WallpaperFiles>(m_dir.filePath(command.first()));
        std::unique_ptr<DesktopBackend> backend = makeBackend();
        // Before the desktop runs: said so, or shown once it starts.
        const QString early = change(*files, *backend, Second, WallpaperStyle::Stretch, false);
        QVERIFY2(needsTheDesktop ? early.contains("not running") : early.isEmpty(),
                 qPrintable(early));
        m_desktop.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_desktop.start(command.first(), command.mid(1));
        QTRY_VERIFY_WITH_TIMEOUT(hasX11DesktopWindow(windowClass), 15000);
        if (!needsTheDesktop)
            QCOMPARE(waitUntilShown("stretch", Second), QString());
        for (const auto style :
             {WallpaperStyle::Center, WallpaperStyle::Tile, WallpaperStyle::Stretch})
            QCOMPARE(change(*files, *backend, First, style), QString());
        QCOMPARE(change(*files, *backend, Second, WallpaperStyle::Stretch), QString());
        // A restart: new objects, and the desktop still showing the last name.
        files = std::make_unique<WallpaperFiles>(m_dir.filePath(command.first()));
        backend = makeBackend();
        QCOMPARE(change(*files, *backend, First, WallpaperStyle::Tile), QString());
        // New contents under the name the desktop shows.
        for (const Picture &picture : tool.isEmpty() ? QList<Picture>() : QList{First, Second}) {
            QVERIFY(files->writeBitmap(twoColourPicture(picture.left, picture.right)));
            QVERIFY(backend->apply(files->bitmapPath(), {}, WallpaperStyle::Stretch));
            QCOMPARE(waitUntilShown("stretch", picture), QString());
        }
        QVERIFY(backend->clear());
        QCOMPARE(waitUntilShown("clear"), QString());
        QCOMPARE(change(*files, *backend, Second, WallpaperStyle::Center), QString());
        if (tool.isEmpty())
            return;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_dir.filePath("nothing").toUtf8());
        const QString missing = change(*files, *backend, First, WallpaperStyle::Tile, false);
        qputenv("PATH", path);
        QVERIFY2(missing.contains(tool + " is not installed"), qPrintable(missing));
    }
};

QTEST_GUILESS_MAIN(TestDesktopPrograms)
#include "tst_desktopprograms.moc"
