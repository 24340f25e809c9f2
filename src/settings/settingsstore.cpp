#include "settingsstore.h"

#include "numeric.h"

#include <QFile>
#include <QLocale>
#include <QSignalBlocker>
#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

SettingsStore::SettingsStore(const QString &filePath, SettingsEnvironment environment,
                             QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_environment(std::move(environment)) {
    QFile file(filePath);
    if (file.exists()) {
        QByteArray data;
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
        if (file.error() == QFileDevice::NoError)
            m_document = IniDocument::parse(data);
        else
            m_unreadable = QStringLiteral("Cannot read the existing file: ") + file.errorString();
    }
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &SettingsStore::startFlush);
    connect(&m_flushWatcher, &QFutureWatcherBase::finished, this, &SettingsStore::flushFinished);
}

SettingsStore::~SettingsStore() {
    // Receivers may be half gone by now; the ways out call sync() themselves to hear of failures.
    const QSignalBlocker quiet(this);
    writeWhatIsMissing();
}

const QString *SettingsStore::rawText(const char *section, const QString &key) const {
    return m_document.find(QLatin1String(section), key);
}

void SettingsStore::setRaw(const char *section, const QString &key, const QString &value) {
    if (m_document.set(QLatin1String(section), key, value)) {
        m_dirty = true;
        scheduleFlush();
    }
}

void SettingsStore::scheduleFlush() {
    // A burst of writes from one event (a dialog's OK, a whole list) becomes one flush.
    if (m_batchDepth == 0 && !m_flushing)
        m_flushTimer.start();
}

void SettingsStore::startFlush() {
    if (m_flushing || !m_dirty)
        return;
    m_dirty = false;
    if (!m_unreadable.isEmpty()) {
        settle(Failure{m_unreadable});
        return;
    }
    m_flushing = true;
    m_flushWatcher.setFuture(QtConcurrent::run([path = m_filePath, document = m_document] {
        return writeFileAtomically(path, document.serialize());
    }));
}

void SettingsStore::flushFinished() {
    // sync() may have taken this result already, or started a newer flush.
    if (!m_flushing || !m_flushWatcher.future().isFinished())
        return;
    m_flushing = false;
    settle(m_flushWatcher.future().result());
}

void SettingsStore::settle(const Result<void> &written) {
    const bool wasFailing = !m_lastWrite.ok();
    m_lastWrite = written;
    if (written) {
        if (wasFailing)
            Q_EMIT writeRecovered();
        if (m_dirty)
            scheduleFlush();
        return;
    }
    // Writes that came in meanwhile get one more try of their own; after that,
    // the next write tries again rather than a loop against a full disk.
    if (m_dirty)
        scheduleFlush();
    m_dirty = true;
    if (!wasFailing)
        Q_EMIT writeFailed(m_filePath, written.error());
}

Result<void> SettingsStore::sync() {
    writeWhatIsMissing();
    // Only a failed write leaves values behind.
    return m_dirty ? m_lastWrite : Result<void>();
}

void SettingsStore::writeWhatIsMissing() {
    if (m_flushing) {
        m_flushWatcher.waitForFinished();
        m_flushing = false;
        settle(m_flushWatcher.future().result());
    }
    m_flushTimer.stop();
    if (m_dirty) {
        m_dirty = false;
        settle(m_unreadable.isEmpty() ? writeFileAtomically(m_filePath, m_document.serialize())
                                      : Result<void>(Failure{m_unreadable}));
        m_flushTimer.stop();
    }
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
    const QString *text = rawText(key.section, QLatin1String(key.name));
    return text ? toInt(*text, key.fallback, key.minimum, key.maximum) : key.fallback;
}

bool SettingsStore::read(const BoolKey &key) const {
    const QString *text = rawText(key.section, QLatin1String(key.name));
    return text ? toBool(*text, key.fallback) : key.fallback;
}

QString SettingsStore::read(const TextKey &key) const {
    const QString *text = rawText(key.section, QLatin1String(key.name));
    return text ? *text : fallbackText(key);
}

QString SettingsStore::fallbackText(const TextKey &key) const {
    switch (key.fallback) {
    case TextFallback::HalfScreenWidth:
        return QString::number(m_environment.screenSize.width() / 2.0);
    case TextFallback::HalfScreenHeight:
        return QString::number(m_environment.screenSize.height() / 2.0);
    case TextFallback::Nothing:
        return {};
    case TextFallback::PicturesFolder:
        return m_environment.picturesFolder;
    }
    return {};
}

void SettingsStore::write(const IntKey &key, int value) {
    setRaw(key.section, QLatin1String(key.name), QString::number(value));
}

void SettingsStore::write(const BoolKey &key, bool value) {
    setRaw(key.section, QLatin1String(key.name), boolText(value));
}

void SettingsStore::write(const TextKey &key, const QString &value) {
    setRaw(key.section, QLatin1String(key.name), value);
}

QString SettingsStore::readEntry(const EntryTextSection &section, int position) const {
    const QString *text = m_document.find(QLatin1String(section.section), position);
    return text ? *text : QLatin1String(section.fallback);
}

bool SettingsStore::readEntry(const EntryFlagSection &section, int position) const {
    const QString *text = m_document.find(QLatin1String(section.section), position);
    return text ? toBool(*text, section.fallback) : section.fallback;
}

int SettingsStore::entryKeyLimit() const {
    int limit = 0;
    for (const char *section :
         {SettingsKeys::Files.section, SettingsKeys::FileStretchSettings.section,
          SettingsKeys::FileProportionalSettings.section,
          SettingsKeys::FileTiledSettings.section}) {
        const QStringList keys = m_document.keys(QLatin1String(section));
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
}

void SettingsStore::writeEntry(const EntryFlagSection &section, int position, bool value) {
    setRaw(section.section, QString::number(position), boolText(value));
}

void SettingsStore::clearAll() {
    if (m_document.clear()) {
        m_dirty = true;
        scheduleFlush();
    }
}

SettingsStore::Batch::Batch(SettingsStore &store)
    : m_store(store) {
    ++m_store.m_batchDepth;
}

SettingsStore::Batch::~Batch() {
    if (--m_store.m_batchDepth == 0 && m_store.m_dirty)
        m_store.scheduleFlush();
}
