#pragma once

#include "atomicwrite.h"
#include "inidocument.h"
#include "result.h"
#include "settingskeys.h"

#include <QFutureWatcher>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QTimer>

// What the text defaults are computed from; injected so tests do not depend on
// the screen or the user's folders.
struct SettingsEnvironment {
    QSizeF screenSize{1024, 768};
    QString picturesFolder;
};

// The per-user store: string values under (section, key) in an INI file.
// Readers convert on read and fall back to the key's default for missing or
// malformed values; writers store the canonical text forms ("True"/"False",
// decimal).
//
// The file is read once; reads and writes then go to memory and cost the same
// however long the list is, and cannot fail. Writes reach the disk shortly
// after, on a worker, in one atomic replacement of the file per burst of
// writes (a Batch groups many writes into one). The store itself reports a
// failing disk, once per run of failures (writeFailed, then writeRecovered
// when a later write succeeds); the values stay in memory and every later
// write, and sync(), tries again. A file that exists but cannot be read is
// never replaced.
class SettingsStore : public QObject {
    Q_OBJECT

public:
    SettingsStore(const QString &filePath, SettingsEnvironment environment,
                  QObject *parent = nullptr);
    // Writes what the disk does not have yet.
    ~SettingsStore() override;

    int read(const IntKey &key) const;
    bool read(const BoolKey &key) const;
    QString read(const TextKey &key) const;
    QString fallbackText(const TextKey &key) const;

    void write(const IntKey &key, int value);
    void write(const BoolKey &key, bool value);
    void write(const TextKey &key, const QString &value);

    QString readEntry(const EntryTextSection &section, int position) const;
    bool readEntry(const EntryFlagSection &section, int position) const;
    // One past the highest position any entry section holds a key for.
    int entryKeyLimit() const;

    // Groups the writes made while it lives so they reach the disk together,
    // in one file replacement.
    class Batch {
    public:
        explicit Batch(SettingsStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SettingsStore &m_store;
    };

    void writeEntry(const EntryTextSection &section, int position, const QString &value);
    void writeEntry(const EntryFlagSection &section, int position, bool value);

    // Removes every section and key of the program.
    void clearAll();

    // Waits for the write in progress, then writes what is still missing.
    // Succeeds when the disk holds every value written so far. For the ways
    // out of the program.
    Result<void> sync();

    QString filePath() const { return m_filePath; }

    static QString boolText(bool value) {
        return value ? QStringLiteral("True") : QStringLiteral("False");
    }
    static int toInt(const QString &text, int fallback, int minimum, int maximum);
    static bool toBool(const QString &text, bool fallback);

Q_SIGNALS:
    // The disk went from good to failing; reason is in words ("Permission denied").
    void writeFailed(const QString &filePath, const QString &reason);
    // A write succeeded again after writeFailed.
    void writeRecovered();

private:
    const QString *rawText(const char *section, const QString &key) const;
    void setRaw(const char *section, const QString &key, const QString &value);
    void scheduleFlush();
    void startFlush();
    void flushFinished();
    void writeWhatIsMissing();
    void settle(const Result<void> &written);

    QString m_filePath;
    SettingsEnvironment m_environment;
    IniDocument m_document;
    QString m_unreadable; // why an existing file could not be read; empty when it could
    bool m_dirty = false;
    Result<void> m_lastWrite; // failed while the disk is failing
    bool m_flushing = false;
    int m_batchDepth = 0;
    QTimer m_flushTimer;
    QFutureWatcher<Result<void>> m_flushWatcher;
};
