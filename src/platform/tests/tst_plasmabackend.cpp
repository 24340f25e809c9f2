#include "desktops/plasmabackend.h"

#include <QDBusConnection>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestPlasmaBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void script_carriesThePathOnlyAsAString_data();
    void script_carriesThePathOnlyAsAString();
    void lockedWidgets_areReported();
    void clear_showsAPlainColourUntilTheNextPicture();

private:
    QString runAgainstFakeShell(const QString &path, bool locked, ApplyResult *result,
                                WallpaperStyle style = WallpaperStyle::Tile) {
        const QString record = m_dir.filePath("script.js");
        QFile::remove(record);
        QProcess shell;
        QStringList arguments{record};
        if (locked)
            arguments.append("--locked");
        shell.start(QStringLiteral(FAKE_PLASMASHELL), arguments);
        if (!shell.waitForReadyRead(5000))
            return {};
        *result = PlasmaBackend().apply(path, QImage(), style);
        shell.kill();
        shell.waitForFinished();
        QFile file(record);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir m_dir;
};

void TestPlasmaBackend::initTestCase() {
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("needs a D-Bus session bus: run through test.sh");
}

void TestPlasmaBackend::script_carriesThePathOnlyAsAString_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("/home/u/.local/share/Rotafond/Rotafond-1.bmp");
    QTest::newRow("hostile") << QStringLiteral(
        "/home/a b/\"; desktops()[0].remove(); \"/it's/\\\\/$(x);\nnew line/ü.bmp");
}

void TestPlasmaBackend::script_carriesThePathOnlyAsAString() {
    QFETCH(QString, path);
    ApplyResult result;
    const QString script = runAgainstFakeShell(path, false, &result);
    QVERIFY2(result.ok, qPrintable(result.error));
    // The first line holds the only place the path enters: a JSON string.
    const QString firstLine = script.section('\n', 0, 0);
    const QRegularExpressionMatch literal =
        QRegularExpression(QStringLiteral("^var image = (\".*\");$")).match(firstLine);
    QVERIFY2(literal.hasMatch(), qPrintable(firstLine));
    const QJsonDocument parsed = QJsonDocument::fromJson("[" + literal.captured(1).toUtf8() + "]");
    QCOMPARE(QUrl(parsed.array().at(0).toString()).toLocalFile(), path);
    QCOMPARE(script.section('\n', 1).count("desktops()"), 1);
    QVERIFY(script.contains("d.writeConfig(\"FillMode\", 3);"));
}

void TestPlasmaBackend::lockedWidgets_areReported() {
    ApplyResult result;
    runAgainstFakeShell("/x.bmp", true, &result);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains("Widgets are locked"), qPrintable(result.error));
}

void TestPlasmaBackend::clear_showsAPlainColourUntilTheNextPicture() {
    ApplyResult result;
    const QString clear = runAgainstFakeShell(QString(), false, &result, WallpaperStyle::Clear);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY2(clear.contains("d.wallpaperPlugin = \"org.kde.color\";") &&
                 clear.contains("[\"Wallpaper\", \"org.kde.color\", \"General\"]") &&
                 clear.contains("d.writeConfig(\"Color\", \"0,0,0\");"),
             qPrintable(clear));
    QVERIFY2(!clear.contains("org.kde.image") && !clear.contains("Image"), qPrintable(clear));
    const QString next = runAgainstFakeShell("/x.bmp", false, &result, WallpaperStyle::Center);
    QVERIFY(next.contains("d.wallpaperPlugin = \"org.kde.image\";"));
    QVERIFY(next.contains("d.writeConfig(\"FillMode\", 6);"));
}

QTEST_GUILESS_MAIN(TestPlasmaBackend)
#include "tst_plasmabackend.moc"
