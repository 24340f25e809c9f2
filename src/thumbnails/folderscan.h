#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// What the browser lists of one folder.
struct FolderContents {
    bool ok = false;
    QString folder; // absolute, without a trailing "/" except for the root
    QString error;
    QStringList subfolders; // names, sorted as the user reads them
    QStringList files;
};

// Lists a folder on the calling thread: visible subfolders and files only.
FolderContents listFolder(const QString &path);

// Lists folders on a worker so that a share that does not answer cannot
// freeze the window: after the timeout the scan is reported as failed and a
// late answer is dropped. Nothing is reported once the scanner is gone.
class FolderScanner : public QObject {
    Q_OBJECT

public:
    static constexpr int TimeoutMs = 5000;

    explicit FolderScanner(QObject *parent = nullptr);

    // One scan at a time; a new one replaces the one still running.
    void scan(const QString &path);
    // Drops the answer of the scan still running.
    void cancel();

Q_SIGNALS:
    void scanned(const FolderContents &contents);

private:
    void deliver(int generation, const FolderContents &contents);

    QTimer m_timeout;
    int m_generation = 0;
    QString m_path;
};
