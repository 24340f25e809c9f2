#pragma once

#include "settingskeys.h"

#include <QSettings>
#include <QSizeF>
#include <QString>

// What the text defaults are computed from; injected so tests do not depend on
// the screen or the user's folders.
struct SettingsEnvironment {
    QSizeF screenSize{1024, 768};
    QString picturesFolder;
};

// The per-user store: string values under (section, key) in an INI file.
// Readers convert on read and fall back to the key's default for missing or
// malformed values; writers store the canonical text forms ("True"/"False",
// decimal). Single writes reach the disk at once; a Batch writes many values
// in one atomic file replacement.
class SettingsStore {
public:
    SettingsStore(const QString &filePath, SettingsEnvironment environment);

    int read(const IntKey &key) const;
    bool read(const BoolKey &key) const;
    QString read(const TextKey &key) const;
    QString fallbackText(const TextKey &key) const;

    bool write(const IntKey &key, int value);
    bool write(const BoolKey &key, bool value);
    bool write(const TextKey &key, const QString &value);

    QString readEntry(const EntryTextSection &section, int position) const;
    bool readEntry(const EntryFlagSection &section, int position) const;
    // One past the highest position any entry section holds a key for.
    int entryKeyLimit() const;

    // Groups writes so they reach the disk together, in one file replacement.
    class Batch {
    public:
        explicit Batch(SettingsStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        bool commit();

    private:
        SettingsStore &m_store;
        bool m_committed = false;
    };

    void writeEntry(const EntryTextSection &section, int position, const QString &value);
    void writeEntry(const EntryFlagSection &section, int position, bool value);

    // Removes every section and key of the program.
    bool clearAll();

    QString filePath() const { return m_settings.fileName(); }

    static QString boolText(bool value) {
        return value ? QStringLiteral("True") : QStringLiteral("False");
    }
    static int toInt(const QString &text, int fallback, int minimum, int maximum);
    static bool toBool(const QString &text, bool fallback);

private:
    QString rawText(const char *section, const QString &key, bool *found) const;
    void setRaw(const char *section, const QString &key, const QString &value);
    bool flush();

    mutable QSettings m_settings;
    SettingsEnvironment m_environment;
    int m_batchDepth = 0;
};
