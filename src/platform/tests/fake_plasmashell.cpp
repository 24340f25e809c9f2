// Stands in for plasmashell: owns org.kde.plasmashell on the session bus and
// writes each script it is asked to evaluate to the file named on the command
// line. With --locked it answers as Plasma does when widgets are locked.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QFile>
#include <QTextStream>

class Shell : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    Shell(QString recordFile, bool locked)
        : m_recordFile(std::move(recordFile))
        , m_locked(locked) {}

public Q_SLOTS:
    void evaluateScript(const QString &script) {
        QFile file(m_recordFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(script.toUtf8());
        if (m_locked)
            sendErrorReply(QDBusError::Failed, QStringLiteral("Widgets are locked"));
    }

private:
    QString m_recordFile;
    bool m_locked;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    Shell shell(app.arguments().value(1), app.arguments().contains(QStringLiteral("--locked")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell")))
        return 1;
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}

#include "fake_plasmashell.moc"
