#include "settingsstore.h"

#include "numeric.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

QString groupKey(const char *section, const QString &key) {
    return QLatin1String(section) + QLatin1Char('/') + key;
}

} // namespace

SettingsStore::SettingsStore(const QString &filePath, SettingsEnvironment environment)
    : m_settings(filePath, QSettings::IniFormat)
    , m_environment(std::move(environment)) {}

QString SettingsStore::rawText(const char *section, const QString &key, bool *found) const {
    const QString path = groupKey(section, key);
    *found = m_settings.contains(path);
    if (!*found)
        return {};
    const QVariant value = m_settings.value(path);
    // An unquoted value with commas, edited by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::setRaw(const char *section, const QString &key, const QString &value) {
    m_settings.setValue(groupKey(section, key), value);
}

bool SettingsStore::flush() {
    if (m_batchDepth > 0)
        return true;
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

int SettingsStore::toInt(const QString &text, int fallback, int minimum, int maximum) {
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || std::isnan(number))
        return fallback;
    const double clamped = std::clamp(number, double(minimum), double(maximum));
    return std::clamp(roundHalfEven(clamped), minimum, maximum);
}

bool SettingsStore::toBool(const QString &text, bool fallback) {
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = QLocale::c().toDouble(word, &ok);
    if (!ok || std::isnan(number))
        return fallback;
    return number != 0.0;
}

int SettingsStore::read(const IntKey &key) const {
    bool found = false;
    const QString text = rawText(key.section, QLatin1String(key.name), &found);
    return found ? toInt(text, key.fallback, key.minimum, key.maximum) : key.fallback;
}

bool SettingsStore::read(const BoolKey &key) const {
    bool found = false;
    const QString text = rawText(key.section, QLatin1String(key.name), &found);
    return found ? toBool(text, key.fallback) : key.fallback;
}

QString SettingsStore::read(const TextKey &key) const {
    bool found = false;
    const QString text = rawText(key.section, QLatin1String(key.name), &found);
    return found ? text : fallbackText(key);
}

QString SettingsStore::fallbackText(const TextKey &key) const {
    switch (key.fallback) {
    case TextFallback::HalfScreenWidth:
        return QString::number(m_environment.screenSize.width() / 2.0);
    case TextFallback::HalfScreenHeight:
        return QString::number(m_environment.screenSize.height() / 2.0);
    case TextFallback::PicturesFolder:
        return m_environment.picturesFolder;
    }
    return {};
}

bool SettingsStore::write(const IntKey &key, int value) {
    setRaw(key.section, QLatin1String(key.name), QString::number(value));
    return flush();
}

bool SettingsStore::write(const BoolKey &key, bool value) {
    setRaw(key.section, QLatin1String(key.name), boolText(value));
    return flush();
}

bool SettingsStore::write(const TextKey &key, const QString &value) {
    setRaw(key.section, QLatin1String(key.name), value);
    return flush();
}

QString SettingsStore::readEntry(const EntryTextSection &section, int position) const {
    bool found = false;
    const QString text = rawText(section.section, QString::number(position), &found);
    return found ? text : QLatin1String(section.fallback);
}

bool SettingsStore::readEntry(const EntryFlagSection &section, int position) const {
    bool found = false;
    const QString text = rawText(section.section, QString::number(position), &found);
    return found ? toBool(text, section.fallback) : section.fallback;
}

int SettingsStore::entryKeyLimit() const {
    int limit = 0;
    for (const char *section :
         {SettingsKeys::Files.section, SettingsKeys::FileStretchSettings.section,
          SettingsKeys::FileProportionalSettings.section,
          SettingsKeys::FileTiledSettings.section}) {
        m_settings.beginGroup(QLatin1String(section));
        const QStringList keys = m_settings.childKeys();
        m_settings.endGroup();
        for (const QString &key : keys) {
            bool ok = false;
            const int position = key.toInt(&ok);
            if (ok && position >= limit && position < INT_MAX)
                limit = position + 1;
        }
    }
    return limit;
}

void SettingsStore::writeEntry(const EntryTextSection &section, int position,
                               const QString &value) {
    setRaw(section.section, QString::number(position), value);
    flush();
}

void SettingsStore::writeEntry(const EntryFlagSection &section, int position, bool value) {
    setRaw(section.section, QString::number(position), boolText(value));
    flush();
}

bool SettingsStore::clearAll() {
    m_settings.clear();
    return flush();
}

SettingsStore::Batch::Batch(SettingsStore &store)
    : m_store(store) {
    ++m_store.m_batchDepth;
}

SettingsStore::Batch::~Batch() {
    if (!m_committed)
        commit();
}

bool SettingsStore::Batch::commit() {
    m_committed = true;
    --m_store.m_batchDepth;
    return m_store.flush();
}
