#include "scriptedprompter.h"
#include "shellopen.h"
#include "testimages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

void writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

const QByteArray Viewer = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=fake-paint --view "
                          "%f\nMimeType=image/png;\nCategories=Graphics;RasterGraphics;Viewer;\n";
const QByteArray Editor = "[Desktop Entry]\nType=Application\nName=Paint\nExec=\"fake-paint\" "
                          "--new-window %U\nMimeType=image/jpeg;image/png;\n"
                          "Categories=Graphics;2DGraphics;RasterGraphics;\n";

} // namespace

// Stand-ins for xdg-open and an image editor on PATH record their argv.
class TestShellOpen : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_log = m_root.filePath("argv");
    ScriptedPrompter m_prompter;

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
        QVERIFY(QDir(m_root.path()).mkpath("bin") && QDir(m_root.path()).mkpath("applications"));
        qputenv("PATH", (m_root.filePath("bin") + ":/usr/bin:/bin").toUtf8());
        qputenv("RECORD", m_log.toUtf8());
        for (const char *name : {"xdg-open", "fake-paint"}) {
            const QString script = m_root.filePath(QStringLiteral("bin/") + name);
            writeFile(script, "#!/bin/sh\nprintf '%s\\0' \"$(basename \"$0\")\" \"$@\" > "
                              "\"$RECORD\"\ntouch \"$RECORD.done\"\nexit ${OPENER_EXIT:-0}\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void init() {
        QFile::remove(m_log);
        QFile::remove(m_log + ".done");
        m_prompter = ScriptedPrompter();
        QDir(m_root.filePath("applications")).removeRecursively();
        QDir(m_root.path()).mkpath("applications");
    }

    void open_handsOverReadablePicturesIntactOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refusal"); // empty: handed over
        const QByteArray picture = pictureBytes(QSize(20, 20), "PNG");
        QTest::newRow("shell, quotes, blanks, percent")
            << "it's \"100% %f\" $(touch pwned); `id` & | > x.png" << picture << "";
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
        QCOMPARE(shell().open(target, "open").ok(), refusal.isEmpty());
        if (refusal.isEmpty())
            QCOMPARE(waitForRecord(), QStringList({"xdg-open", target}));
        else
            QVERIFY(!QFile::exists(m_log));
        QCOMPARE(m_prompter.shown.value(0).text,
                 refusal.isEmpty() ? QString() : "Can not do this!\n" + refusal);
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));
        // A link has nothing to edit.
        QVERIFY(!name.startsWith("mailto:") || !shell().open(target, "Edit"));
    }

    void editOrOpen_editsElseSaysWhyAndOpensOnce_data() {
        QTest::addColumn<bool>("editorInstalled");
        QTest::addColumn<QByteArray>("openerExit");
        QTest::addColumn<QString>("said"); // empty: edited without a word
        QTest::newRow("edited") << true << QByteArray("0") << "";
        QTest::newRow("opened instead")
            << false << QByteArray("0") << "\nWill try to \"Open\" it...";
        QTest::newRow("opening failed too") << false << QByteArray("3") << "did not work either";
    }

    void editOrOpen_editsElseSaysWhyAndOpensOnce() {
        QFETCH(bool, editorInstalled);
        QFETCH(QByteArray, openerExit);
        QFETCH(QString, said);
        writeFile(m_root.filePath("applications/viewer.desktop"), Viewer);
        if (editorInstalled)
            writeFile(m_root.filePath("applications/paint.desktop"), Editor);
        const QString path = writePicture(QDir(m_root.path()), "a b $c.png", QSize(9, 9));
        qputenv("OPENER_EXIT", openerExit);
        shell().editOrOpen(path);
        qunsetenv("OPENER_EXIT");
        const QString text = m_prompter.shown.value(0).text;
        QCOMPARE(m_prompter.titles(), said.isEmpty() ? QStringList() : QStringList{"Oops ..."});
        QVERIFY2(said.isEmpty() || (text.startsWith("Can not do this!\nNo application is "
                                                    "associated with this file type.\n") &&
                                    text.contains(said)),
                 qPrintable(text));
        QCOMPARE(waitForRecord(),
                 editorInstalled
                     ? QStringList({"fake-paint", "--new-window",
                                    QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)})
                     : QStringList({"xdg-open", path}));
    }
};

QTEST_GUILESS_MAIN(TestShellOpen)
#include "tst_shellopen.moc"
