#include "folderscan.h"

#include "workerjob.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>

namespace {

void sortForReading(QStringList &names) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

// Scans have threads of their own, so one stuck on a dead share holds up
// neither the thumbnails nor the wallpaper's decoding. The pool is never
// destroyed: destroying it would wait for such a scan at the program's exit.
QThreadPool *scanPool() {
    static QThreadPool *const pool = [] {
        auto *threads = new QThreadPool;
        // Each dead share the user tries may hold a thread until it answers.
        threads->setMaxThreadCount(32);
        return threads;
    }();
    return pool;
}

} // namespace

FolderContents listFolder(const QString &path) {
    FolderContents contents;
    const QFileInfo info(path);
    contents.folder = QDir::cleanPath(info.absoluteFilePath());
    if (!info.exists()) {
        contents.error = QStringLiteral("%1 does not exist.").arg(path);
        return contents;
    }
    if (!info.isDir()) {
        contents.error = QStringLiteral("%1 is not a folder.").arg(path);
        return contents;
    }
    if (!info.isReadable() || !info.isExecutable()) {
        contents.error = QStringLiteral("%1 cannot be opened: permission denied.").arg(path);
        return contents;
    }
    const QDir folder(contents.folder);
    contents.subfolders = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    contents.files = folder.entryList(QDir::Files, QDir::NoSort);
    sortForReading(contents.subfolders);
    sortForReading(contents.files);
    contents.ok = true;
    return contents;
}

FolderScanner::FolderScanner(QObject *parent)
    : QObject(parent) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(TimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        ++m_generation;
        FolderContents late;
        late.folder = m_path;
        late.error = QStringLiteral("%1 does not answer.").arg(m_path);
        Q_EMIT scanned(late);
    });
}

void FolderScanner::scan(const QString &path) {
    const int generation = ++m_generation;
    m_path = path;
    m_timeout.start();
    runInWorker(
        scanPool(), this, [path] { return listFolder(path); },
        [this, generation](const FolderContents &contents) { deliver(generation, contents); });
}

void FolderScanner::deliver(int generation, const FolderContents &contents) {
    if (generation != m_generation)
        return;
    m_timeout.stop();
    Q_EMIT scanned(contents);
}

void FolderScanner::cancel() {
    ++m_generation;
    m_timeout.stop();
}
