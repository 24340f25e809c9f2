#pragma once

// Pieces the benchmarks share.

#include <QFile>
#include <QStringList>

#include <functional>

#include <unistd.h>

// Resident memory of this process, in kilobytes.
inline long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// count hard links to the originals in turn, at pathOf(i): many distinct
// paths without many copies on disk. Ends the benchmark when linking fails.
inline QStringList hardLinks(const QStringList &originals, int count,
                             const std::function<QString(int)> &pathOf) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = pathOf(i);
        if (::link(QFile::encodeName(originals.at(i % originals.size())).constData(),
                   QFile::encodeName(path).constData()) != 0)
            qFatal("cannot link %s", qPrintable(path));
        paths.append(path);
    }
    return paths;
}
