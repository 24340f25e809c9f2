#include "desktops/gsettingsbackend.h"
#include "privatesettings.h"
#include "wallpaperfiles.h"

#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(WallpaperStyle)
Q_DECLARE_METATYPE(const GSettingsDesktopBackend::Keys *)

// The desktops' own schemas on dconf, read back with the gsettings tool.
class TestGSettingsBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyChange_reachesTheKeys_data();
    void everyChange_reachesTheKeys();
    void valueOutsideTheSchema_isReportedAndNotWritten();
    void missingSchema_isReported();
    void gnomeTiles_getAGradientOfOneColour_data();
    void gnomeTiles_getAGradientOfOneColour();

private:
    static QString get(const char *schema, const char *key) {
        QProcess gsettings;
        gsettings.start("gsettings", {"get", schema, key});
        gsettings.waitForFinished();
        return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
    }
    // gsettings prints a string quoted, with a backslash before \\ and the quote.
    static QString unquoted(const QString &printed) {
        QString text;
        for (qsizetype i = 1; i < printed.size() - 1; ++i)
            text += printed.at(printed.at(i) == '\\' ? ++i : i);
        return text;
    }
    static bool installed(const char *schema) {
        QProcess gsettings;
        gsettings.start("gsettings", {"list-keys", schema});
        return gsettings.waitForFinished() && gsettings.exitCode() == 0;
    }
    // Writes a picture and hands its fresh name to the desktop, as a change does.
    static QString change(WallpaperFiles &files, GSettingsDesktopBackend &backend, QRgb colour,
                          WallpaperStyle style) {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(colour);
        QString error;
        const QString name = files.writeBitmap(image, &error) ? files.freshlyNamedCopy(&error) : "";
        const ApplyResult result = backend.apply(name, image, style);
        return name.isEmpty() || !result.ok ? QString() : name;
    }

    PrivateSettings m_settings;
    QTemporaryDir m_dir;
};

void TestGSettingsBackend::initTestCase() {
    const QString missing = m_settings.start();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
}

void TestGSettingsBackend::everyChange_reachesTheKeys_data() {
    QTest::addColumn<const GSettingsDesktopBackend::Keys *>("keys");
    QTest::addColumn<QString>("clearedKey");
    QTest::addColumn<QString>("clearedValue");
    QTest::newRow("GNOME") << &GSettingsDesktopBackend::Gnome << "picture-options"
                           << "'none'";
    QTest::newRow("Cinnamon") << &GSettingsDesktopBackend::Cinnamon << "picture-options"
                              << "'none'";
    QTest::newRow("MATE") << &GSettingsDesktopBackend::Mate << "picture-filename"
                          << "''";
}

void TestGSettingsBackend::everyChange_reachesTheKeys() {
    QFETCH(const GSettingsDesktopBackend::Keys *, keys);
    QFETCH(QString, clearedKey);
    QFETCH(QString, clearedValue);
    if (!installed(keys->schema))
        QSKIP("the desktop's schema is not installed");
    const auto shows = [keys](const QString &path) {
        const QString stored =
            keys->pictureIsUri ? QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()) : path;
        const QString picture = get(keys->schema, keys->pictureKey);
        return unquoted(picture) == stored &&
               (!keys->darkPictureKey || get(keys->schema, keys->darkPictureKey) == picture);
    };
    // A folder name that needs quoting and escaping everywhere it goes.
    const QString folder = m_dir.filePath(QString("%1/it's \"odd\" $(x);\\ü").arg(keys->schema));
    QString shown;
    {
        WallpaperFiles files(folder);
        GSettingsDesktopBackend backend(*keys);
        const struct {
            WallpaperStyle style;
            const char *options;
        } steps[] = {{WallpaperStyle::Tile, "'wallpaper'"},
                     {WallpaperStyle::Center, "'centered'"},
                     {WallpaperStyle::Stretch, "'stretched'"}};
        for (const auto &step : steps) {
            const QString name = change(files, backend, qRgb(1, 2, 3), step.style);
            QVERIFY(!name.isEmpty());
            QVERIFY2(name != shown, "the same picture again needs a new name");
            QVERIFY(shows(name));
            QCOMPARE(get(keys->schema, keys->optionsKey), step.options);
            shown = name;
        }
    }
    // A restart starts with new objects; the desktop still shows the last name.
    WallpaperFiles files(folder);
    GSettingsDesktopBackend backend(*keys);
    const QString afterRestart = change(files, backend, qRgb(1, 2, 3), WallpaperStyle::Stretch);
    QVERIFY(!afterRestart.isEmpty());
    QVERIFY2(afterRestart != shown, qPrintable(afterRestart));
    QVERIFY(shows(afterRestart));

    QVERIFY(backend.apply(QString(), QImage(), WallpaperStyle::Clear).ok);
    QCOMPARE(get(keys->schema, qPrintable(clearedKey)), clearedValue);
    // The next change shows a picture again.
    const QString next = change(files, backend, qRgb(4, 5, 6), WallpaperStyle::Tile);
    QVERIFY(!next.isEmpty());
    QVERIFY(shows(next));
    QCOMPARE(get(keys->schema, keys->optionsKey), "'wallpaper'");
}

void TestGSettingsBackend::valueOutsideTheSchema_isReportedAndNotWritten() {
    if (!installed("org.mate.background"))
        QSKIP("MATE's schema is not installed");
    GSettingsDesktopBackend::Keys noneOption = GSettingsDesktopBackend::Mate;
    noneOption.clearKey = "picture-options";
    noneOption.clearValue = "none";
    GSettingsDesktopBackend backend(noneOption);
    QVERIFY(backend.apply("/pictures/a.bmp", QImage(), WallpaperStyle::Center).ok);
    const ApplyResult result = backend.apply(QString(), QImage(), WallpaperStyle::Clear);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains("\"none\"") && result.error.contains("picture-options"),
             qPrintable(result.error));
    QCOMPARE(get("org.mate.background", "picture-options"), "'centered'");
    QCOMPARE(get("org.mate.background", "picture-filename"), "'/pictures/a.bmp'");
}

void TestGSettingsBackend::missingSchema_isReported() {
    GSettingsDesktopBackend::Keys absent = GSettingsDesktopBackend::Gnome;
    absent.schema = "org.example.absent";
    GSettingsDesktopBackend backend(absent);
    const ApplyResult result = backend.apply("/x.bmp", QImage(), WallpaperStyle::Tile);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains("org.example.absent"));
}

void TestGSettingsBackend::gnomeTiles_getAGradientOfOneColour_data() {
    QTest::addColumn<WallpaperStyle>("style");
    QTest::addColumn<QString>("shading");
    QTest::addColumn<QString>("expectedShading");
    QTest::addColumn<QString>("expectedSecondary");
    QTest::newRow("tiled on solid") << WallpaperStyle::Tile << "solid"
                                    << "'vertical'"
                                    << "'#123456'";
    QTest::newRow("tiled on a gradient") << WallpaperStyle::Tile << "horizontal"
                                         << "'horizontal'"
                                         << "'#abcdef'";
    QTest::newRow("centred on solid") << WallpaperStyle::Center << "solid"
                                      << "'solid'"
                                      << "'#abcdef'";
}

void TestGSettingsBackend::gnomeTiles_getAGradientOfOneColour() {
    QFETCH(WallpaperStyle, style);
    QFETCH(QString, shading);
    QFETCH(QString, expectedShading);
    QFETCH(QString, expectedSecondary);
    const char *schema = GSettingsDesktopBackend::Gnome.schema;
    if (!installed(schema))
        QSKIP("GNOME's schema is not installed");
    for (const auto &[key, value] : {std::pair{"color-shading-type", shading},
                                     {"primary-color", QString("#123456")},
                                     {"secondary-color", QString("#abcdef")}})
        QCOMPARE(QProcess::execute("gsettings", {"set", schema, key, value}), 0);
    GSettingsDesktopBackend backend(GSettingsDesktopBackend::Gnome);
    QVERIFY(backend.apply("/pictures/a.bmp", QImage(), style).ok);
    QCOMPARE(get(schema, "color-shading-type"), expectedShading);
    QCOMPARE(get(schema, "secondary-color"), expectedSecondary);
    QCOMPARE(get(schema, "primary-color"), "'#123456'");
}

QTEST_GUILESS_MAIN(TestGSettingsBackend)
#include "tst_gsettingsbackend.moc"
