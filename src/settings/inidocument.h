#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The store's file in memory: sections of text values under text keys, in the
// INI dialect QSettings reads and writes (percent-escaped keys, quoted and
// backslash-escaped values, UTF-8), so files move freely between this program
// and the versions that wrote the file through QSettings.
//
// Copies share their data until one of them changes, section by section: a
// copy taken for a background write costs nothing, and changing one small
// section afterwards does not copy the big ones.
class IniDocument {
public:
    // Reads as much as it can: malformed lines are skipped, as QSettings does.
    static IniDocument parse(QByteArrayView data);
    QByteArray serialize() const;

    // nullptr when the key is missing. Valid until the next change.
    const QString *find(const QString &section, const QString &key) const;
    // False when the key already held that value.
    bool set(const QString &section, const QString &key, const QString &value);
    QStringList keys(const QString &section) const;
    // False when there was nothing to remove.
    bool clear() {
        const bool had = !m_sections.isEmpty();
        m_sections.clear();
        return had;
    }

private:
    struct Section {
        QString name;
        QStringList keys;
        QStringList values;
        QHash<QString, qsizetype> positions;
    };

    qsizetype sectionIndex(const QString &name) const;
    Section &section(const QString &name);

    QList<Section> m_sections;
};
