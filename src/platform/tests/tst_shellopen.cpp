#include "scriptedprompter.h"
#include "shellopen.h"
#include "testimages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Stand-ins for xdg-open and an image editor on PATH record their argv.
class TestShellOpen : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_log = m_root.filePath("argv");
    ScriptedPrompter m_prompter;

    void writeFile(const QString &path, const QByteArray &content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }

    // The argv of the stand-in that ran, program name first, once it has run.
    QStringList waitForRecord() {
        QFile log(m_log);
        if (!QTest::qWaitFor([this] { return QFile::exists(m_log + ".done"); }, 5000) ||
            !log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QChar(0), Qt::SkipEmptyParts);
    }

    ShellOpen shell() { return ShellOpen(m_prompter, {m_root.filePath("applications")}); }

private Q_SLOTS:
    void initTestCase() {
        QDir(m_root.path()).mkpath("bin");
        QDir(m_root.path()).mkpath("applications");
        qputenv("PATH", (m_root.filePath("bin") + ":/usr/bin:/bin").toUtf8());
        qputenv("RECORD", m_log.toUtf8());
        const QByteArray record = "#!/bin/sh\nprintf '%s\\0' \"$(basename \"$0\")\" \"$@\" > "
                                  "\"$RECORD\"\ntouch \"$RECORD.done\"\n";
        for (const char *name : {"xdg-open", "fake-paint"}) {
            const QString script = m_root.filePath(QStringLiteral("bin/") + name);
            writeFile(script, record + "exit ${OPENER_EXIT:-0}\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void init() {
        QFile::remove(m_log);
        QFile::remove(m_log + ".done");
        m_prompter = ScriptedPrompter();
        for (const QString &name : QDir(m_root.filePath("applications")).entryList(QDir::Files))
            QFile::remove(m_root.filePath("applications/" + name));
    }

    void open_handsOverReadablePicturesIntactOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refusal"); // empty: handed over
        const QByteArray picture = pictureBytes(QSize(20, 20), "PNG");
        QTest::newRow("blanks") << "my holiday photo.png" << picture << "";
        QTest::newRow("quotes") << "it's \"quoted\".png" << picture << "";
        QTest::newRow("shell") << "$(touch pwned); `id` & | > x.png" << picture << "";
        QTest::newRow("dash first") << "-rf.png" << picture << "";
        QTest::newRow("percent") << "100% %f %u.png" << picture << "";
        QTest::newRow("mail link")
            << "mailto:someone@example.org?subject=Rotafond" << QByteArray() << "";
        QTest::newRow("missing file") << "nothing.png" << QByteArray() << "File not found";
        QTest::newRow("missing folder")
            << "no/such/folder/x.png" << QByteArray() << "Path not found";
        QTest::newRow("folder") << "." << QByteArray() << "Path/file access error";
        QTest::newRow("script, not a picture")
            << "run.png" << QByteArray("#!/bin/sh\nrm -rf ~\n")
            << "This file type does not have a valid file association.";
    }

    void open_handsOverReadablePicturesIntactOnly() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, refusal);
        const QString target = name.startsWith("mailto:") ? name : m_root.filePath(name);
        if (!content.isEmpty())
            writeFile(target, content);
        QCOMPARE(shell().open(target, "open"), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(waitForRecord(), QStringList({"xdg-open", target}));
            QVERIFY(m_prompter.shown.isEmpty());
        } else {
            QCOMPARE(m_prompter.shown.value(0).text, "Can not do this!\n" + refusal);
            QVERIFY(!QFile::exists(m_log));
        }
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));
        // A link has nothing to edit.
        QVERIFY(!name.startsWith("mailto:") || !shell().open(target, "Edit"));
    }

    void edit_startsAnImageEditorWithTheFile() {
        writeFile(m_root.filePath("applications/viewer.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=fake-paint --view %f\n"
                  "MimeType=image/png;\nCategories=Graphics;2DGraphics;RasterGraphics;Viewer;\n");
        writeFile(m_root.filePath("applications/paint.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Paint\nExec=\"fake-paint\" "
                  "--new-window %U\nMimeType=image/jpeg;image/png;\n"
                  "Categories=Graphics;2DGraphics;RasterGraphics;\n");
        const QString path = writePicture(QDir(m_root.path()), "a b $c.png", QSize(20, 20));
        QVERIFY(shell().open(path, "Edit"));
        QCOMPARE(waitForRecord(),
                 QStringList({"fake-paint", "--new-window",
                              QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)}));
    }

    void editOrOpen_saysWhatHappenedToBothOnce_data() {
        QTest::addColumn<QByteArray>("openerExit");
        QTest::addColumn<QString>("said");
        QTest::newRow("opened instead") << QByteArray("0") << "\nWill try to \"Open\" it...";
        QTest::newRow("opening failed too") << QByteArray("3") << "did not work either";
    }

    void editOrOpen_saysWhatHappenedToBothOnce() {
        QFETCH(QByteArray, openerExit);
        QFETCH(QString, said);
        // Only a viewer: no editor for the type.
        writeFile(m_root.filePath("applications/viewer.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=fake-paint %f\n"
                  "MimeType=image/png;\nCategories=Graphics;RasterGraphics;Viewer;\n");
        const QString path = writePicture(QDir(m_root.path()), "x.png", QSize(9, 9));
        qputenv("OPENER_EXIT", openerExit);
        shell().editOrOpen(path);
        qunsetenv("OPENER_EXIT");
        QCOMPARE(m_prompter.titles(), QStringList{"Oops ..."});
        QVERIFY2(m_prompter.shown.first().text.startsWith(
                     "Can not do this!\nNo application is associated with this file type.\n"),
                 qPrintable(m_prompter.shown.first().text));
        QVERIFY2(m_prompter.shown.first().text.contains(said),
                 qPrintable(m_prompter.shown.first().text));
        QCOMPARE(waitForRecord(), QStringList({"xdg-open", path}));
    }
};

QTEST_GUILESS_MAIN(TestShellOpen)
#include "tst_shellopen.moc"
