#include "folderscan.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <thread>

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
    // A detached thread: a scan blocked on a dead share must not hold up
    // other work, nor the program's exit.
    std::thread([path, generation, address = m_mailbox.address(), this] {
        const FolderContents contents = listFolder(path);
        address.post([this, generation, contents] { deliver(generation, contents); });
    }).detach();
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
