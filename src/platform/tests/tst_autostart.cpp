#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The entry is started by the desktop's own launcher (GLib's, through gio
// launch, as GNOME and XFCE start autostart entries), not our reading of the
// rules, and checked by the desktop's validator.
class TestAutostart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        for (const char *tool : {"gio", "desktop-file-validate"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    }

    void entry_startsTheExactProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks, quotes, shell specials")
            << "home/a b/\"odd\" 'dir'/it's \"$HOME\"/$(rm -rf ~);`x`&|<>*?#~";
        QTest::newRow("backslash, percent, field code, unicode") << "a\\b %f 100%/jürgen/Программы";
    }

    void entry_startsTheExactProgram() {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        const QString program = dir.filePath(folder + "/rotafond");
        const QByteArray marker = QFile::encodeName(dir.filePath("started"));
        QFile script(program);
        // Written aside and renamed, so the marker appears only once complete.
        QVERIFY(QDir(dir.path()).mkpath(folder) && script.open(QIODevice::WriteOnly) &&
                script.write("#!/bin/sh\nprintf '%s\\n' \"$0\" > '" + marker + ".part' && mv '" +
                             marker + ".part' '" + marker + "'\n") > 0);
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const Autostart autostart(dir.filePath("config/autostart"));
        const Result<void> created = autostart.create(program);
        QVERIFY2(created, qPrintable(created.error()));
        for (const QStringList &command :
             {QStringList{"desktop-file-validate"}, {"gio", "launch"}}) {
            QProcess process;
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(command.first(), command.mid(1) << autostart.entryPath());
            QVERIFY(process.waitForFinished());
            QVERIFY2(process.exitCode() == 0, process.readAll().constData());
        }
        QTRY_VERIFY(QFile::exists(marker));
        QFile started(marker);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(started.readAll()).trimmed(), program);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
