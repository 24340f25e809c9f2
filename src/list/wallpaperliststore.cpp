#include "wallpaperliststore.h"

#include "fileexists.h"
#include "numeric.h"
#include "settingsstore.h"

#include <algorithm>
#include <cmath>

WallpaperListStore::WallpaperListStore(SettingsStore &store)
    : m_store(store) {}

void WallpaperListStore::loadProgress(int index, int count, int *percent, QString *caption) {
    // Single precision on purpose: with 3 entries the steps read 33, 67, 100
    // while the captions read "33 %", "66 %", "100 %".
    const float value = float(index + 1) / float(count) * 100.0f;
    *percent = roundHalfEven(value);
    *caption = QString::number(int(std::trunc(value))) + QStringLiteral(" %");
}

QList<WallpaperEntry> WallpaperListStore::load(const Progress &progress) const {
    // A count beyond the highest stored key could only produce "none" entries;
    // capping it keeps a damaged count from stalling the start.
    const int count = std::min(m_store.read(SettingsKeys::NumberOfFiles), m_store.entryKeyLimit());
    QList<WallpaperEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (progress) {
            int percent = 0;
            QString caption;
            loadProgress(i, count, &percent, &caption);
            progress(percent, caption);
        }
        WallpaperEntry entry;
        entry.filePath = m_store.readEntry(SettingsKeys::Files, i);
        entry.resize = m_store.readEntry(SettingsKeys::FileStretchSettings, i);
        entry.proportional = m_store.readEntry(SettingsKeys::FileProportionalSettings, i);
        entry.tiled = m_store.readEntry(SettingsKeys::FileTiledSettings, i);
        if (!fileIsDefinitelyGone(entry.filePath))
            entries.append(entry);
    }
    return entries;
}

void WallpaperListStore::save(const QList<WallpaperEntry> &entries) {
    const SettingsStore::Batch batch(m_store);
    m_store.write(SettingsKeys::NumberOfFiles, int(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        const WallpaperEntry &entry = entries.at(i);
        m_store.writeEntry(SettingsKeys::Files, i, entry.filePath);
        m_store.writeEntry(SettingsKeys::FileStretchSettings, i, entry.resize);
        m_store.writeEntry(SettingsKeys::FileProportionalSettings, i, entry.proportional);
        m_store.writeEntry(SettingsKeys::FileTiledSettings, i, entry.tiled);
    }
}

Result<void> WallpaperListStore::sync() {
    return m_store.sync();
}
