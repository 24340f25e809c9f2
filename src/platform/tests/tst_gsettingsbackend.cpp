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

// gsettings prints a string quoted, with a backslash before \ and the quote.
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
        const auto shows = [keys](const QString &path) {
            const QString picture = get(keys->schema, keys->pictureKey);
            return unquoted(picture) == QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()) &&
                   (!keys->darkPictureKey || get(keys->schema, keys->darkPictureKey) == picture);
        };
        // A folder name that needs quoting and escaping everywhere it goes.
        const QString folder = "/pictures/it's \"odd\" $(x);\\ü/";
        for (const auto &[style, options] : {std::pair{WallpaperStyle::Center, "'centered'"},
                                             {WallpaperStyle::Stretch, "'stretched'"},
                                             {WallpaperStyle::Tile, "'wallpaper'"}}) {
            const QString path = folder + options + ".bmp";
            QCOMPARE(backend.apply(path, QImage(), style).error, QString());
            QVERIFY(shows(path));
            QCOMPARE(get(keys->schema, keys->optionsKey), options);
            QCOMPARE(get(keys->schema, "color-shading-type"),
                     style == WallpaperStyle::Tile ? tiledShading : "'solid'");
        }
        QCOMPARE(get(keys->schema, "secondary-color"),
                 tiledShading == "'solid'" ? "'#abcdef'" : "'#123456'");
        QCOMPARE(backend.apply(QString(), QImage(), WallpaperStyle::Clear).error, QString());
        QCOMPARE(get(keys->schema, "picture-options"), "'none'");
        // The next change shows a picture again; a gradient stays as it is.
        set("color-shading-type", "horizontal");
        QCOMPARE(backend.apply(folder + "next.bmp", QImage(), WallpaperStyle::Tile).error,
                 QString());
        QVERIFY(shows(folder + "next.bmp"));
        QCOMPARE(get(keys->schema, keys->optionsKey), "'wallpaper'");
        QCOMPARE(get(keys->schema, "color-shading-type"), "'horizontal'");
    }

    void keysTheDesktopLacks_areReportedAndNotWritten() {
        GSettingsDesktopBackend::Keys absent = GSettingsDesktopBackend::Gnome;
        absent.schema = "org.example.absent";
        ApplyResult result =
            GSettingsDesktopBackend(absent).apply("/x.bmp", QImage(), WallpaperStyle::Tile);
        QVERIFY2(!result.ok && result.error.contains("org.example.absent"),
                 qPrintable(result.error));
        // A value outside the schema's range.
        GSettingsDesktopBackend::Keys noneOption = GSettingsDesktopBackend::Mate;
        noneOption.clearKey = "picture-options";
        noneOption.clearValue = "none";
        GSettingsDesktopBackend backend(noneOption);
        QVERIFY(backend.apply("/pictures/a.bmp", QImage(), WallpaperStyle::Center).ok);
        result = backend.apply(QString(), QImage(), WallpaperStyle::Clear);
        QVERIFY2(!result.ok && result.error.contains("\"none\"") &&
                     result.error.contains("picture-options"),
                 qPrintable(result.error));
        QCOMPARE(get("org.mate.background", "picture-options"), "'centered'");
        QCOMPARE(get("org.mate.background", "picture-filename"), "'/pictures/a.bmp'");
    }

private:
    PrivateSettings m_settings;
};

QTEST_GUILESS_MAIN(TestGSettingsBackend)
#include "tst_gsettingsbackend.moc"
