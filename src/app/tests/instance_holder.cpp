// Takes the single-instance lock in the given folder, says "locked" and waits to be killed.
#include "singleinstance.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    SingleInstance instance(app.arguments().at(1));
    if (!instance.tryAcquire())
        return 1;
    QTextStream(stdout) << "locked" << Qt::endl;
    return app.exec();
}
