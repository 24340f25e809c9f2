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
        QTest::newRow("blanks") << "home/a b/My Apps";
        QTest::newRow("quotes") << "opt/\"odd\" 'dir'";
        QTest::newRow("shell specials") << "$(rm -rf ~);`x`&|<>*?#~";
        QTest::newRow("backslash, percent and field code") << "a\\b %f 100%";
        QTest::newRow("quotes and variable") << "it's \"$HOME\"";
        QTest::newRow("unicode") << "jürgen/Программы";
    }

    void entry_startsTheExactProgram() {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(folder));
        const QString program = dir.filePath(folder + "/rotafond");
        const QString marker = dir.filePath("started");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Written aside and renamed, so the marker appears only once complete.
        script.write("#!/bin/sh\nprintf '%s\\n' \"$0\" > '" + QFile::encodeName(marker) +
                     ".part' && mv '" + QFile::encodeName(marker) + ".part' '" +
                     QFile::encodeName(marker) + "'\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
        const Autostart autostart(dir.filePath("config/autostart"));
        QString error;
        QVERIFY2(autostart.create(program, &error), qPrintable(error));
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

    void unwritableFolder_reportsWhy() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!Autostart(blocker.fileName()).create("/usr/bin/rotafond", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
