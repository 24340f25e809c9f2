#include "desktoptest.h"

#include "autostart.h"

#include <QImageReader>

namespace {

const QString AppId = QStringLiteral(ROTAFOND_APP_ID);

// Runs a program to its end; its exit code, its output in *output.
int run(const QString &program, const QStringList &arguments, QString *output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(90000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

// What `cmake --install` and the Debian package deliver, checked by the
// desktop's own validators, and the packaged program run on the test desktop.
class TestE2EPackage : public DesktopTest {
    Q_OBJECT

public:
    TestE2EPackage()
        : DesktopTest({"cpack", "dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian"}) {}

private Q_SLOTS:
    void installedTree_isCompleteAndValid();
    void package_isCleanInstallsAndRuns();

private:
    QTemporaryDir m_work;
};

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
    const QString binary = m_work.filePath("a root 100%") + "/usr/bin/rotafond";
    QVERIFY(run("dpkg-deb", {"-x", deb, m_work.filePath("a root 100%")}) == 0);
    desktop().useBinary(binary);
    // Its first run offers to start at log-in: the entry names the packaged
    // program, escaped for its odd folder.
    QProcess *firstRun = start();
    const QString offer =
        DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", firstRun->processId());
    QVERIFY2(!offer.isEmpty(), "no autostart offer on a first run");
    DesktopDriver::pressKey(offer, "Return");
    QFile entry(desktop().path("config/autostart/Rotafond.desktop"));
    QTRY_VERIFY(entry.exists());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString exec = "Exec=" + Autostart::execValue(binary) + "\n";
    QVERIFY2(QString::fromUtf8(entry.readAll()).contains(exec), qPrintable(exec));
    firstRun->kill();
    QVERIFY(firstRun->waitForFinished());

    // With a list it changes the wallpaper and goes to the tray.
    storeColours({Qt::darkMagenta});
    QProcess *rotafond = start();
    QVERIFY(!waitForTray(rotafond, 30000).isEmpty());
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkMagenta).rgb());

    run("lintian", {"--tag-display-limit", "0", deb}, &output);
    QVERIFY2(!output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)),
             qPrintable(output));
    qInfo().noquote() << "lintian:" << (output.isEmpty() ? "nothing to say" : output);
}

QTEST_GUILESS_MAIN(TestE2EPackage)
#include "tst_e2e_package.moc"
