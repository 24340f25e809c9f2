#include "scriptedprompter.h"
#include "shellopen.h"
#include "testimages.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Stand-ins for xdg-open and an image editor record the argv they were given.
class TestShellOpen : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_bin;
    QString m_applications;
    QString m_log;
    ScriptedPrompter m_prompter;

    void writeScript(const QString &name, const QByteArray &body) {
        QFile script(m_bin + QLatin1Char('/') + name);
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("#!/bin/sh\n" + body);
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void writeEntry(const QString &name, const QString &body) {
        QFile entry(m_applications + QLatin1Char('/') + name);
        QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
        entry.write("[Desktop Entry]\nType=Application\n" + body.toUtf8());
    }

    // The argv of the last stand-in that ran, program name first.
    QStringList recorded() {
        QFile log(m_log);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList arguments = QString::fromUtf8(log.readAll()).split(QChar(0));
        if (!arguments.isEmpty() && arguments.last().isEmpty())
            arguments.removeLast();
        return arguments;
    }

    QStringList waitForRecord() {
        QDeadlineTimer deadline(5000);
        while (!QFile::exists(m_log + QStringLiteral(".done")) && !deadline.hasExpired())
            QTest::qWait(10);
        return recorded();
    }

private Q_SLOTS:
    void initTestCase() {
        m_bin = m_root.filePath(QStringLiteral("bin"));
        m_applications = m_root.filePath(QStringLiteral("applications"));
        QDir().mkpath(m_bin);
        QDir().mkpath(m_applications);
        m_log = m_root.filePath(QStringLiteral("argv"));
        qputenv("PATH", (m_bin + QStringLiteral(":/usr/bin:/bin")).toUtf8());
        qputenv("RECORD", m_log.toUtf8());
        const QByteArray record = "printf '%s\\0' \"$(basename \"$0\")\" \"$@\" > \"$RECORD\"\n"
                                  "touch \"$RECORD.done\"\n";
        writeScript(QStringLiteral("xdg-open"), record + "exit ${OPENER_EXIT:-0}\n");
        writeScript(QStringLiteral("fake-paint"), record);
    }

    void init() {
        QFile::remove(m_log);
        QFile::remove(m_log + QStringLiteral(".done"));
        qunsetenv("OPENER_EXIT");
        m_prompter = ScriptedPrompter();
        for (const QString &name : QDir(m_applications).entryList(QDir::Files))
            QFile::remove(m_applications + QLatin1Char('/') + name);
    }

    void open_handsHostileNamesOverIntact_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "my holiday photo.png";
        QTest::newRow("quotes") << "it's \"quoted\".png";
        QTest::newRow("shell") << "$(touch pwned); `id` & | > x.png";
        QTest::newRow("dash first") << "-rf.png";
        QTest::newRow("percent") << "100% %f %u.png";
    }

    void open_handsHostileNamesOverIntact() {
        QFETCH(QString, name);
        const QString path = writePicture(QDir(m_root.path()), name, QSize(20, 20));
        ShellOpen shell(m_prompter, {m_applications});
        QVERIFY(shell.open(path, QStringLiteral("open")));
        QCOMPARE(waitForRecord(), QStringList({"xdg-open", path}));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void edit_startsAnImageEditorWithTheFile() {
        writeEntry(QStringLiteral("viewer.desktop"),
                   QStringLiteral("Name=Viewer\nExec=fake-paint --view %f\nMimeType=image/png;\n"
                                  "Categories=Graphics;2DGraphics;RasterGraphics;Viewer;\n"));
        writeEntry(QStringLiteral("paint.desktop"),
                   QStringLiteral("Name=Paint\nExec=\"fake-paint\" --new-window %U\n"
                                  "MimeType=image/jpeg;image/png;\n"
                                  "Categories=Graphics;2DGraphics;RasterGraphics;\n"));
        const QString path =
            writePicture(QDir(m_root.path()), QStringLiteral("a b $c.png"), QSize(20, 20));
        ShellOpen shell(m_prompter, {m_applications});
        QCOMPARE(shell.findEditor(QStringLiteral("image/png")),
                 m_applications + QStringLiteral("/paint.desktop"));
        QVERIFY(shell.open(path, QStringLiteral("Edit")));
        QCOMPARE(waitForRecord(),
                 QStringList({"fake-paint", "--new-window",
                              QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)}));
    }

    void editOrOpen_withoutEditorSaysSoThenOpens() {
        writeEntry(QStringLiteral("viewer.desktop"),
                   QStringLiteral("Name=Viewer\nExec=fake-paint %f\nMimeType=image/png;\n"
                                  "Categories=Graphics;RasterGraphics;Viewer;\n"));
        const QString path =
            writePicture(QDir(m_root.path()), QStringLiteral("x.png"), QSize(9, 9));
        ShellOpen shell(m_prompter, {m_applications});
        shell.editOrOpen(path);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown.first().title, QStringLiteral("Oops ..."));
        QCOMPARE(m_prompter.shown.first().icon, Prompter::Icon::Information);
        QCOMPARE(m_prompter.shown.first().text,
                 QStringLiteral("Can not do this!\nNo application is associated with this file "
                                "type.\nWill try to \"Open\" it..."));
        QCOMPARE(waitForRecord(), QStringList({"xdg-open", path}));
    }

    void editOrOpen_whenOpenFailsTooSaysSoOnce() {
        qputenv("OPENER_EXIT", "3");
        const QString path =
            writePicture(QDir(m_root.path()), QStringLiteral("y.png"), QSize(9, 9));
        ShellOpen shell(m_prompter, {m_applications});
        shell.editOrOpen(path);
        qunsetenv("OPENER_EXIT");
        QCOMPARE(m_prompter.shown.size(), 1);
        QVERIFY(!m_prompter.shown.at(0).text.contains(QLatin1String("Will try")));
        QVERIFY(m_prompter.shown.at(0).text.contains(QLatin1String("did not work either")));
    }

    void open_refusesWhatIsNoReadablePicture_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("code");
        QTest::newRow("missing file") << "nothing.png" << QByteArray() << 2;
        QTest::newRow("missing folder") << "no/such/folder/x.png" << QByteArray() << 3;
        QTest::newRow("folder") << "." << QByteArray() << 5;
        QTest::newRow("script, not a picture")
            << "run.png" << QByteArray("#!/bin/sh\nrm -rf ~\n") << 27;
    }

    void open_refusesWhatIsNoReadablePicture() {
        QFETCH(QString, relative);
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        const QString path = m_root.filePath(relative);
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        ShellOpen shell(m_prompter, {m_applications});
        QCOMPARE(shell.execute(path, QStringLiteral("open")), code);
        QVERIFY(!shell.open(path, QStringLiteral("open")));
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown.first().text,
                 QStringLiteral("Can not do this!\n") + ShellOpen::failureText(code));
        QVERIFY(!QFile::exists(m_log));
    }

    void open_mailLinkGoesToTheDesktop() {
        ShellOpen shell(m_prompter, {m_applications});
        const QString link = QStringLiteral("mailto:someone@example.org?subject=Rotafond");
        QVERIFY(shell.open(link, QStringLiteral("open")));
        QCOMPARE(waitForRecord(), QStringList({"xdg-open", link}));
        QVERIFY(!shell.open(link, QStringLiteral("Edit")));
    }

    void failureText_followsTheResultTable_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Out of memory";
        QTest::newRow("8") << 8 << "Out of memory";
        QTest::newRow("26") << 26 << "A sharing violation occurred.";
        QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
        QTest::newRow("15: other") << 15
                                   << "An error occurred whilst trying to open or print the "
                                      "selected file.";
    }

    void failureText_followsTheResultTable() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(ShellOpen::failureText(code), text);
    }
};

QTEST_GUILESS_MAIN(TestShellOpen)
#include "tst_shellopen.moc"
