#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The thumbnail cache shared by the desktop's programs (the freedesktop.org
// layout, "large" size): one PNG per file, named by the MD5 of its URI and
// tagged with the URI and the file's modification time. Files are named and
// tagged exactly as GLib names and checks them, so file managers and we reuse
// each other's thumbnails. Reads and writes are safe from several threads at
// once. A cache that cannot be written is simply not filled.
class ThumbnailCache {
public:
    static constexpr int LargeSize = 256;

    // folder is the cache's root, normally $XDG_CACHE_HOME/thumbnails; an
    // empty folder disables the cache.
    explicit ThumbnailCache(QString folder);
    static QString defaultFolder();

    struct Hit {
        QImage image;
        QSize originalSize; // invalid when the writer did not record it
    };

    // The cached thumbnail of path, if there is one for this modification
    // time (whole seconds since the epoch).
    std::optional<Hit> find(const QString &path, qint64 modified) const;
    // Stores a thumbnail atomically; false when it could not be written.
    bool store(const QString &path, qint64 modified, const QImage &thumbnail,
               QSize originalSize) const;

    QString fileFor(const QString &path) const;
    // The file URI of path, escaped byte for byte as GLib's g_filename_to_uri.
    static QByteArray uriOf(const QString &path);

private:
    bool makeFolders() const;

    QString m_folder;
};
