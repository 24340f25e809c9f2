#include "desktops/gsettingsbackend.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(WallpaperStyle)

namespace {

// The keys the three desktops' own schemas declare for the wallpaper.
const char *const Schemas = R"(<schemalist>
  <schema id="org.gnome.desktop.background" path="/org/gnome/desktop/background/">
    <key name="picture-uri" type="s"><default>''</default></key>
    <key name="picture-uri-dark" type="s"><default>''</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
  </schema>
  <schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
    <key name="picture-uri" type="s"><default>''</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
  </schema>
  <schema id="org.mate.background" path="/org/mate/desktop/background/">
    <key name="picture-filename" type="s"><default>''</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
  </schema>
</schemalist>
)";

} // namespace

class TestGSettingsBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void apply_writesTheDesktopsKeys_data();
    void apply_writesTheDesktopsKeys();
    void consecutiveChanges_reachTheKeys();
    void clear_keepsThePictureAndHidesIt();
    void missingSchema_isReported();

private:
    QString get(const char *schema, const char *key) const {
        QProcess gsettings;
        gsettings.start("gsettings", {"get", schema, key});
        gsettings.waitForFinished();
        return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir m_dir;
};

void TestGSettingsBackend::initTestCase() {
    // Must happen before GIO is first used in this process.
    const QString schemas = m_dir.filePath("schemas");
    QDir().mkpath(schemas);
    QFile file(schemas + "/rotafond-test.gschema.xml");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Schemas);
    file.close();
    QCOMPARE(QProcess::execute("glib-compile-schemas", {schemas}), 0);
    qputenv("GSETTINGS_SCHEMA_DIR", schemas.toUtf8());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
}

void TestGSettingsBackend::apply_writesTheDesktopsKeys_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<WallpaperStyle>("style");
    QTest::addColumn<QString>("options");
    QTest::newRow("GNOME tile") << "gnome" << WallpaperStyle::Tile << "'wallpaper'";
    QTest::newRow("GNOME center") << "gnome" << WallpaperStyle::Center << "'centered'";
    QTest::newRow("Cinnamon stretch") << "cinnamon" << WallpaperStyle::Stretch << "'stretched'";
    QTest::newRow("MATE center") << "mate" << WallpaperStyle::Center << "'centered'";
}

void TestGSettingsBackend::apply_writesTheDesktopsKeys() {
    QFETCH(QString, desktop);
    QFETCH(WallpaperStyle, style);
    const auto &keys = desktop == "gnome"      ? GSettingsDesktopBackend::Gnome
                       : desktop == "cinnamon" ? GSettingsDesktopBackend::Cinnamon
                                               : GSettingsDesktopBackend::Mate;
    const QString path = QStringLiteral("/home/a b/it's \"odd\" $(x);\\ü/Rotafond-1.bmp");
    GSettingsDesktopBackend backend(keys);
    const ApplyResult result = backend.apply(path, QImage(), style);
    QVERIFY2(result.ok, qPrintable(result.error));
    QTEST(get(keys.schema, keys.optionsKey), "options");
    const QString picture = get(keys.schema, keys.pictureKey);
    if (keys.pictureIsUri) {
        // gsettings quotes with " when the value holds a '.
        QCOMPARE(picture.mid(1, picture.size() - 2),
                 QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()));
        QCOMPARE(QUrl(picture.mid(1, picture.size() - 2)).toLocalFile(), path);
    } else {
        QVERIFY2(picture.contains("Rotafond-1.bmp") && picture.contains("a b"),
                 qPrintable(picture));
    }
    if (keys.darkPictureKey)
        QCOMPARE(get(keys.schema, keys.darkPictureKey), picture);
}

void TestGSettingsBackend::consecutiveChanges_reachTheKeys() {
    GSettingsDesktopBackend backend(GSettingsDesktopBackend::Gnome);
    QVERIFY(backend.apply("/data/Rotafond-1.bmp", QImage(), WallpaperStyle::Center).ok);
    QCOMPARE(get("org.gnome.desktop.background", "picture-uri"), "'file:///data/Rotafond-1.bmp'");
    QVERIFY(backend.apply("/data/Rotafond-2.bmp", QImage(), WallpaperStyle::Center).ok);
    QCOMPARE(get("org.gnome.desktop.background", "picture-uri"), "'file:///data/Rotafond-2.bmp'");
    QCOMPARE(get("org.gnome.desktop.background", "picture-uri-dark"),
             "'file:///data/Rotafond-2.bmp'");
}

void TestGSettingsBackend::clear_keepsThePictureAndHidesIt() {
    GSettingsDesktopBackend backend(GSettingsDesktopBackend::Gnome);
    QVERIFY(backend.apply("/data/Rotafond-1.bmp", QImage(), WallpaperStyle::Tile).ok);
    QVERIFY(backend.apply(QString(), QImage(), WallpaperStyle::Clear).ok);
    QCOMPARE(get("org.gnome.desktop.background", "picture-options"), "'none'");
}

void TestGSettingsBackend::missingSchema_isReported() {
    const GSettingsDesktopBackend::Keys absent{"Nowhere", "org.example.absent", "picture-uri", true,
                                               nullptr,   "picture-options"};
    GSettingsDesktopBackend backend(absent);
    const ApplyResult result = backend.apply("/x.bmp", QImage(), WallpaperStyle::Tile);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains("org.example.absent"));
}

QTEST_GUILESS_MAIN(TestGSettingsBackend)
#include "tst_gsettingsbackend.moc"
