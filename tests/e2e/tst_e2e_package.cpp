#include "desktoptest.h"

#include <QImageReader>

// The Debian package checked by the desktop's own validators, and the packaged
// program run on the test desktop.
class TestE2EPackage : public DesktopTest {
    Q_OBJECT

public:
    TestE2EPackage()
        : DesktopTest({"cpack", "dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian"}) {}

private Q_SLOTS:
    void package_isCompleteValidAndRuns() {
        const QString packages = m_work.filePath("packages");
        QVERIFY2(run("cpack", {"-G", "DEB", "-B", packages, "--config",
                               ROTAFOND_BUILD_DIR "/CPackConfig.cmake"}),
                 qPrintable(m_output));
        const QStringList debs = QDir(packages).entryList({"rotafond_*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = QDir(packages).filePath(debs.first());
        QVERIFY(run("dpkg-deb", {"-f", deb, "Depends"}));
        for (const char *needed : {"libqt6core6", "libqt6widgets6", "libqt6dbus6", "libc6",
                                   "qt6-image-formats-plugins", "libqt6svg6", "fonts-comic-neue"})
            QVERIFY2(m_output.contains(QLatin1String(needed)), qPrintable(m_output));
        run("lintian", {"--tag-display-limit", "0", deb});
        QVERIFY2(
            !m_output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)),
            qPrintable(m_output));

        // Unpacked where blanks and "%" are in the way; it must run from there.
        const QDir tree(m_work.filePath("a root 100%") + "/usr");
        QVERIFY(run("dpkg-deb", {"-x", deb, m_work.filePath("a root 100%")}));
        const QString id = QStringLiteral(ROTAFOND_APP_ID);
        const QString desktopFile = tree.filePath("share/applications/" + id + ".desktop");
        const QString metainfo = tree.filePath("share/metainfo/" + id + ".metainfo.xml");
        for (const QString &file :
             {desktopFile, metainfo, tree.filePath("share/man/man1/rotafond.1.gz"),
              tree.filePath("share/icons/hicolor/scalable/apps/" + id + ".svg"),
              tree.filePath("share/doc/rotafond/copyright")})
            QVERIFY2(QFile::exists(file), qPrintable(file + " is not packaged"));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            const QString png =
                QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
            QCOMPARE(QImageReader(tree.filePath(png)).size(), QSize(size, size));
        }
        QVERIFY2(run("desktop-file-validate", {desktopFile}), qPrintable(m_output));
        QVERIFY2(run("appstreamcli", {"validate", "--no-net", metainfo}), qPrintable(m_output));

        // With a list it changes the wallpaper and goes to the tray.
        useBinary(tree.filePath("bin/rotafond"));
        storeColours({Qt::darkMagenta});
        QVERIFY(!waitForTray(start(), 30000).isEmpty());
        QTRY_COMPARE(rootPixel(), QColor(Qt::darkMagenta).rgb());
    }

private:
    // Runs a program to its end; whether it succeeded, its output in m_output.
    bool run(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool finished = process.waitForFinished(90000);
        m_output = QString::fromUtf8(process.readAll());
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir m_work;
    QString m_output;
};

QTEST_GUILESS_MAIN(TestE2EPackage)
#include "tst_e2e_package.moc"
