#include "programrunner.h"

#include <QProcess>
#include <QStandardPaths>

Result<QString> runProgram(const QString &program, const QStringList &arguments, int timeoutMs) {
    const QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        return Failure{QStringLiteral("%1 is not installed.").arg(program)};
    QProcess process;
    process.start(executable, arguments);
    if (!process.waitForStarted(timeoutMs))
        return Failure{QStringLiteral("%1 did not start: %2").arg(program, process.errorString())};
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return Failure{QStringLiteral("%1 did not answer.").arg(program)};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Failure{
            QStringLiteral("%1 failed: %2")
                .arg(program, QString::fromUtf8(process.readAllStandardError()).trimmed())};
    return QString::fromUtf8(process.readAllStandardOutput());
}
