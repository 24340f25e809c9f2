#include "desktops/gsettingsbackend.h"
#include "privatesettings.h"

#include <QTest>
#include <QUrl>

namespace {

QString get(const char *schema, const char *key) {
    QProcess gsettings;
    gsettings.start("gsettings", {"get", schema, key});
    gsettings.waitForFinished();
    return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
}

// The text of a string as gsettings prints it: quoted, a backslash before \ and the quote.
QString unquoted(const QString &printed) {
    QString text;
    for (qsizetype i = 1; i < printed.size() - 1; ++i)
        text += printed.at(printed.at(i) == '\\' ? ++i : i);
    return text;
}

} // namespace

// The desktops' own schemas on dconf, read back with the gsettings tool.
// MATE's changes are proven on caja's screen (tst_desktopprograms).
class TestGSettingsBackend : public QObject {
    Q_OBJECT

    PrivateSettings m_settings;

private Q_SLOTS:
    void initTestCase() {
        if (const QString missing = m_settings.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        for (const char *schema : {"org.gnome.desktop.background",
                                   "org.cinnamon.desktop.background", "org.mate.background"})
            if (GSettingsSchema *found = g_settings_schema_source_lookup(
                    g_settings_schema_source_get_default(), schema, TRUE))
                g_settings_schema_unref(found);
            else
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(schema)));
    }

    void everyChange_reachesTheKeys_data() {
        QTest::addColumn<const GSettingsDesktopBackend::Keys *>("keys");
        // GNOME Shell stretches tiles over a solid colour: they get a gradient
        // of one colour, and only they, and only over a solid colour.
        QTest::addColumn<QString>("tiledShading");
        QTest::newRow("GNOME") << &GSettingsDesktopBackend::Gnome << "'vertical'";
        QTest::newRow("Cinnamon") << &GSettingsDesktopBackend::Cinnamon << "'solid'";
    }

    void everyChange_reachesTheKeys() {
        QFETCH(const GSettingsDesktopBackend::Keys *, keys);
        QFETCH(QString, tiledShading);
        const auto set = [keys](const char *key, const char *value) {
            QCOMPARE(QProcess::execute("gsettings", {"set", keys->schema, key, value}), 0);
        };
        set("color-shading-type", "solid");
        set("primary-color", "#123456");
        set("secondary-color", "#abcdef");
        GSettingsDesktopBackend backend(*keys);
        // A folder name that needs quoting and escaping everywhere it goes.
        const QString folder = "/pictures/it's \"odd\" $(x);\\ü/";
        const auto shows = [&](const QString &name, const char *options, const QString &shading) {
            const QString picture = get(keys->schema, keys->pictureKey);
            QCOMPARE(unquoted(picture),
                     QString::fromUtf8(QUrl::fromLocalFile(folder + name).toEncoded()));
            if (keys->darkPictureKey)
                QCOMPARE(get(keys->schema, keys->darkPictureKey), picture);
            QCOMPARE(get(keys->schema, keys->optionsKey), options);
            QCOMPARE(get(keys->schema, "color-shading-type"), shading);
        };
        for (const auto &[style, options] : {std::pair{WallpaperStyle::Center, "'centered'"},
                                             {WallpaperStyle::Stretch, "'stretched'"},
                                             {WallpaperStyle::Tile, "'wallpaper'"}}) {
            QCOMPARE(backend.apply(folder + options, QImage(), style).error(), QString());
            shows(options, options, style == WallpaperStyle::Tile ? tiledShading : "'solid'");
        }
        QCOMPARE(get(keys->schema, "secondary-color"),
                 tiledShading == "'solid'" ? "'#abcdef'" : "'#123456'");
        QCOMPARE(backend.clear().error(), QString());
        QCOMPARE(get(keys->schema, "picture-options"), "'none'");
        // The next change shows a picture again; a gradient stays as it is.
        set("color-shading-type", "horizontal");
        QCOMPARE(backend.apply(folder + "next", QImage(), WallpaperStyle::Tile).error(), QString());
        shows("next", "'wallpaper'", "'horizontal'");
    }

    void keysTheDesktopLacks_areReportedAndNotWritten() {
        GSettingsDesktopBackend::Keys absent = GSettingsDesktopBackend::Gnome;
        absent.schema = "org.example.absent";
        Result<void> result =
            GSettingsDesktopBackend(absent).apply("/x.bmp", QImage(), WallpaperStyle::Tile);
        QVERIFY2(!result && result.error().contains("org.example.absent"),
                 qPrintable(result.error()));
        // A value outside the schema's range.
        GSettingsDesktopBackend::Keys noneOption = GSettingsDesktopBackend::Mate;
        noneOption.clearKey = "picture-options";
        noneOption.clearValue = "none";
        GSettingsDesktopBackend backend(noneOption);
        QVERIFY(backend.apply("/pictures/a.bmp", QImage(), WallpaperStyle::Center));
        result = backend.clear();
        QVERIFY2(!result && result.error().contains("\"none\"") &&
                     result.error().contains("picture-options"),
                 qPrintable(result.error()));
        QCOMPARE(get("org.mate.background", "picture-options"), "'centered'");
        QCOMPARE(get("org.mate.background", "picture-filename"), "'/pictures/a.bmp'");
    }
};

QTEST_GUILESS_MAIN(TestGSettingsBackend)
#include "tst_gsettingsbackend.moc"
