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
    const QString *find(QLatin1StringView section, const QString &key) const;
    // The same for the key that is position in decimal, without building that text.
    const QString *find(QLatin1StringView section, qsizetype position) const;
    // False when the key already held that value.
    bool set(QLatin1StringView section, const QString &key, const QString &value);
    QStringList keys(QLatin1StringView section) const;
    // False when there was nothing to remove.
    bool clear() {
        const bool had = !m_sections.isEmpty();
        m_sections.clear();
        return had;
    }

private:
    // Where each key's value is. The list's entries have keys "0", "1", ...:
    // those are found by number, the few others by name.
    struct Section {
        QString name;
        QStringList keys;
        QStringList values;
        QList<qsizetype> byNumber; // -1 where no key has that number
        QHash<QString, qsizetype> byName;

        qsizetype indexOf(const QString &key) const;
        qsizetype indexOf(qsizetype number) const;
        void append(const QString &key, QString value);
    };

    template <typename Name> qsizetype sectionIndex(const Name &name) const {
        for (qsizetype i = 0; i < m_sections.size(); ++i)
            if (m_sections.at(i).name == name)
                return i;
        return -1;
    }

    // Key is a key's text or its number.
    template <typename Key>
    const QString *findValue(QLatin1StringView section, const Key &key) const {
        const qsizetype index = sectionIndex(section);
        if (index < 0)
            return nullptr;
        const Section &found = m_sections.at(index);
        const qsizetype at = found.indexOf(key);
        return at < 0 ? nullptr : &found.values.at(at);
    }

    QList<Section> m_sections;
};
