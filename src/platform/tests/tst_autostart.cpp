#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <glib.h>

namespace {

// The argv a desktop would run for the entry, via GLib's own parsers.
QStringList launchedArgv(const QString &entryFile, QString *name) {
    g_autoptr(GKeyFile) keys = g_key_file_new();
    g_autoptr(GError) error = nullptr;
    if (!g_key_file_load_from_file(keys, QFile::encodeName(entryFile).constData(), G_KEY_FILE_NONE,
                                   &error))
        return {QStringLiteral("load failed: ") + QString::fromUtf8(error->message)};
    g_autofree gchar *exec = g_key_file_get_string(keys, "Desktop Entry", "Exec", nullptr);
    g_autofree gchar *title = g_key_file_get_string(keys, "Desktop Entry", "Name", nullptr);
    *name = QString::fromUtf8(title);
    // Launchers turn "%%" into "%" before splitting.
    QByteArray command(exec);
    command.replace("%%", "%");
    gint argc = 0;
    g_auto(GStrv) argv = nullptr;
    if (!g_shell_parse_argv(command.constData(), &argc, &argv, &error))
        return {QStringLiteral("parse failed: ") + QString::fromUtf8(error->message)};
    QStringList result;
    for (int i = 0; i < argc; ++i)
        result.append(QString::fromUtf8(argv[i]));
    return result;
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entry_launchesTheExactProgram_data();
    void entry_launchesTheExactProgram();
    void entry_startsThroughGioLaunch_data();
    void entry_startsThroughGioLaunch();
    void unwritableFolder_reportsWhy();
};

void TestAutostart::entry_launchesTheExactProgram_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/rotafond");
    QTest::newRow("blanks") << QStringLiteral("/home/a b/My Apps/rotafond");
    QTest::newRow("quotes") << QStringLiteral("/opt/\"odd\" 'dir'/rotafond");
    QTest::newRow("shell specials") << QStringLiteral("/tmp/$(rm -rf ~);`x`&|<>*?#~/rotafond");
    QTest::newRow("backslash and percent") << QStringLiteral("/tmp/a\\b %f 100%/rotafond");
    QTest::newRow("unicode") << QStringLiteral("/home/jürgen/Программы/rotafond");
}

void TestAutostart::entry_launchesTheExactProgram() {
    QFETCH(QString, program);
    QTemporaryDir dir;
    const Autostart autostart(dir.filePath(QStringLiteral("config/autostart")));
    QString error;
    QVERIFY2(autostart.create(program, &error), qPrintable(error));
    QCOMPARE(QFileInfo(autostart.entryPath()).fileName(), QStringLiteral("Rotafond.desktop"));
    QString name;
    const QStringList expected =
        program.contains('%') ? QStringList{"env", program} : QStringList{program};
    QCOMPARE(launchedArgv(autostart.entryPath(), &name), expected);
    QCOMPARE(name, QStringLiteral("Rotafond"));

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {autostart.entryPath()});
        QVERIFY(validate.waitForFinished());
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
    }
}

void TestAutostart::entry_startsThroughGioLaunch_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("blanks") << QStringLiteral("My Apps/bin");
    QTest::newRow("percent and field code") << QStringLiteral("100% %f done");
    QTest::newRow("quotes and dollar") << QStringLiteral("it's \"$HOME\"");
}

void TestAutostart::entry_startsThroughGioLaunch() {
    // The desktop's own launcher, not our reading of the rules.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        QSKIP("gio is not installed");
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(folder));
    const QString program = dir.filePath(folder + QStringLiteral("/rotafond"));
    const QString marker = dir.filePath(QStringLiteral("started"));
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    // Written aside and renamed, so the marker appears only once complete.
    script.write("#!/bin/sh\necho \"$0\" > '" + QFile::encodeName(marker) + ".part' && mv '" +
                 QFile::encodeName(marker) + ".part' '" + QFile::encodeName(marker) + "'\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const Autostart autostart(dir.filePath(QStringLiteral("autostart")));
    QString error;
    QVERIFY2(autostart.create(program, &error), qPrintable(error));
    QProcess launch;
    launch.setProcessChannelMode(QProcess::MergedChannels);
    launch.start(gio, {QStringLiteral("launch"), autostart.entryPath()});
    QVERIFY(launch.waitForFinished());
    QVERIFY2(launch.exitCode() == 0, launch.readAll().constData());
    QTRY_VERIFY(QFile::exists(marker));
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(started.readAll()).trimmed(), program);
}

void TestAutostart::unwritableFolder_reportsWhy() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("autostart")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Autostart autostart(blocker.fileName());
    QString error;
    QVERIFY(!autostart.create(QStringLiteral("/usr/bin/rotafond"), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
