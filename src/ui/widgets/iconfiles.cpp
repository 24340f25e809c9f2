// Writes the program's icon as PNG files for the icon theme:
// iconfiles <folder> <size>... makes <folder>/<size>.png for each size.
#include "programicon.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: iconfiles <folder> <size>...\n", stderr);
        return 2;
    }
    const QDir folder(arguments.at(1));
    for (const QString &size : arguments.mid(2)) {
        const QImage image = programIconImage(size.toInt());
        if (image.isNull() || !image.save(folder.filePath(size + QStringLiteral(".png")))) {
            std::fprintf(stderr, "iconfiles: cannot make the %s pixel icon\n", qPrintable(size));
            return 1;
        }
    }
    return 0;
}
