#pragma once

#include <QImage>
#include <QString>

// Decodes a picture file, turned upright by its Exif orientation. Pictures
// beyond the allocation limit fail like undecodable ones, so a huge or
// malicious file can neither exhaust memory nor crash the program.
class Picture {
public:
    static constexpr int AllocationLimitMb = 512; // 24 MP photos need about 92 MB

    static QImage load(const QString &path, QString *error);
};
