#include "desktopdriver.h"

#include "autostart.h"

#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QDirIterator>
#include <QImageReader>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

const QString AppId = QStringLiteral(ROTAFOND_APP_ID);

// Runs a program to its end; its exit code, its output in *output.
int run(const QString &program, const QStringList &arguments, QString *output = nullptr,
        int timeoutMs = 90000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

// What `cmake --install` and the Debian package deliver, checked by the
// desktop's own validators, and the packaged program run on the test desktop.
class TestE2EPackage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installedTree_isCompleteAndValid();
    void package_isCleanInstallsAndRuns();

private:
    QTemporaryDir m_work;
};

void TestE2EPackage::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
    for (const char *tool :
         {"cpack", "dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    }
}

void TestE2EPackage::installedTree_isCompleteAndValid() {
    const QString prefix = m_work.filePath("prefix");
    QString output;
    QVERIFY2(run("cmake", {"--install", ROTAFOND_BUILD_DIR, "--prefix", prefix}, &output) == 0,
             qPrintable(output));
    const QDir tree(prefix);
    const QString desktopFile = "share/applications/" + AppId + ".desktop";
    const QString metainfo = "share/metainfo/" + AppId + ".metainfo.xml";
    for (const QString &file : QStringList{"bin/rotafond", desktopFile, metainfo,
                                           "share/icons/hicolor/scalable/apps/" + AppId + ".svg",
                                           QStringLiteral("share/man/man1/rotafond.1.gz"),
                                           QStringLiteral("share/doc/rotafond/copyright")})
        QVERIFY2(tree.exists(file), qPrintable(file + " is not installed"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString png =
            QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
        QCOMPARE(QImageReader(tree.filePath(png)).size(), QSize(size, size));
    }
    QVERIFY2(run("desktop-file-validate", {tree.filePath(desktopFile)}, &output) == 0,
             qPrintable(output));
    QVERIFY2(run("appstreamcli", {"validate", "--no-net", tree.filePath(metainfo)}, &output) == 0,
             qPrintable(output));
}

void TestE2EPackage::package_isCleanInstallsAndRuns() {
    DesktopDriver desktop;
    const QString packages = m_work.filePath("packages");
    QString output;
    QVERIFY2(run("cpack",
                 {"-G", "DEB", "-B", packages, "--config", ROTAFOND_BUILD_DIR "/CPackConfig.cmake"},
                 &output) == 0,
             qPrintable(output));
    const QStringList debs = QDir(packages).entryList({"rotafond_*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = QDir(packages).filePath(debs.first());

    QVERIFY(run("dpkg-deb", {"-f", deb, "Depends"}, &output) == 0);
    for (const char *needed : {"libqt6core6", "libqt6widgets6", "libqt6dbus6", "libc6",
                               "qt6-image-formats-plugins", "libqt6svg6", "fonts-comic-neue"})
        QVERIFY2(output.contains(QLatin1String(needed)), qPrintable(output));

    // Unpacked where blanks and "%" are in the way; it must run from there.
    const QString root = m_work.filePath("a root 100%");
    QVERIFY(run("dpkg-deb", {"-x", deb, root}) == 0);
    desktop.useBinary(root + "/usr/bin/rotafond");
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkMagenta);
    QVERIFY(picture.save(desktop.path("picture.png")));
    SettingsStore settings(desktop.configFile(), {});
    QVERIFY(WallpaperListStore(settings).save({{desktop.path("picture.png"), false, false, true}}));
    const std::unique_ptr<QProcess> rotafond = desktop.program();
    rotafond->start();
    QVERIFY(rotafond->waitForStarted());
    auto stop = qScopeGuard([&] {
        rotafond->kill();
        rotafond->waitForFinished();
    });
    QTRY_VERIFY_WITH_TIMEOUT(!DesktopDriver::trayIcon(rotafond->processId()).isEmpty(), 30000);
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkMagenta).rgb());

    stop.dismiss();
    rotafond->kill();
    rotafond->waitForFinished();

    // A first run of the packaged program offers to start at log-in: the
    // entry names the packaged program, escaped for its odd folder.
    DesktopDriver firstRun;
    firstRun.useBinary(desktop.binary());
    const std::unique_ptr<QProcess> fresh = firstRun.program();
    fresh->start();
    QVERIFY(fresh->waitForStarted());
    auto stopFresh = qScopeGuard([&] {
        fresh->kill();
        fresh->waitForFinished();
    });
    const QString offer =
        DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", fresh->processId());
    QVERIFY2(!offer.isEmpty(), "no autostart offer on a first run");
    DesktopDriver::pressKey(offer, "Return");
    QFile entry(firstRun.path("config/autostart/Rotafond.desktop"));
    QTRY_VERIFY(entry.exists());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString exec = "Exec=" + Autostart::execValue(desktop.binary()) + "\n";
    QVERIFY2(QString::fromUtf8(entry.readAll()).contains(exec), qPrintable(exec));

    run("lintian", {"--tag-display-limit", "0", deb}, &output);
    QVERIFY2(!output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)),
             qPrintable(output));
    qInfo().noquote() << "lintian:" << (output.isEmpty() ? "nothing to say" : output);
}

QTEST_GUILESS_MAIN(TestE2EPackage)
#include "tst_e2e_package.moc"
