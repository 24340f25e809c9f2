#include "swaybackend.h"

#include "programrunner.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// sway and swaybg have no "keep the style": Unchanged centres.
QString modeName(WallpaperStyle style) {
    const QString word = styleWord(style);
    return word.isEmpty() ? QStringLiteral("center") : word;
}

// sway splits its commands at ';' and ',', and shell-expands a background path
// ('$(...)' runs), so only plain characters may reach it.
bool isPlainForSway(const QString &text) {
    static const QString allowed = QStringLiteral(" /._-+@=:%");
    for (const QChar c : text) {
        if (!c.isLetterOrNumber() && !allowed.contains(c))
            return false;
    }
    return !text.isEmpty();
}

ApplyResult checkReadable(const QString &path) {
    // sway reports success for a file it cannot open and keeps the old picture.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return ApplyResult::failure(
            QStringLiteral("The wallpaper file %1 cannot be read.").arg(path));
    return {};
}

// Stops a swaybg this backend started and has not reaped yet, so its pid
// cannot belong to anyone else.
void stopChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int waited = 0; waited < 1000; waited += 20) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        QThread::msleep(20);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

SwayBackend::~SwayBackend() {
    if (m_swaybg > 0)
        stopChild(m_swaybg);
}

ApplyResult SwayBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    if (!qEnvironmentVariableIsEmpty("SWAYSOCK"))
        return applyThroughSway(path, style);
    return applyThroughSwaybg(path, style);
}

ApplyResult SwayBackend::applyPerMonitor(const MonitorPictureWriter &writePicture,
                                         const QList<Monitor> &, const QString &path,
                                         WallpaperStyle style) {
    if (qEnvironmentVariableIsEmpty("SWAYSOCK"))
        return apply(path, {}, style);
    QList<Output> outputs;
    if (const ApplyResult listed = listOutputs(&outputs); !listed.ok)
        return listed;
    for (const Output &output : outputs) {
        QString error;
        const QString own = writePicture(output.name, output.size, &error);
        if (own.isEmpty())
            return ApplyResult::failure(error);
        if (const ApplyResult set = setBackground(output.name, own, WallpaperStyle::Stretch);
            !set.ok)
            return set;
    }
    return {};
}

ApplyResult SwayBackend::listOutputs(QList<Output> *outputs) {
    QString reply;
    const ApplyResult listed = runProgram(
        QStringLiteral("swaymsg"),
        {QStringLiteral("-t"), QStringLiteral("get_outputs"), QStringLiteral("-r")}, &reply);
    if (!listed.ok)
        return listed;
    const QJsonArray all = QJsonDocument::fromJson(reply.toUtf8()).array();
    for (const QJsonValue &value : all) {
        const QJsonObject output = value.toObject();
        const QString name = output.value(QLatin1String("name")).toString();
        const QJsonObject mode = output.value(QLatin1String("current_mode")).toObject();
        QSize size(mode.value(QLatin1String("width")).toInt(),
                   mode.value(QLatin1String("height")).toInt());
        const QString transform = output.value(QLatin1String("transform")).toString();
        if (transform.contains(QLatin1String("90")) || transform.contains(QLatin1String("270")))
            size.transpose();
        if (output.value(QLatin1String("active")).toBool() && isPlainForSway(name) &&
            !size.isEmpty())
            outputs->append({name, size});
    }
    if (outputs->isEmpty())
        return ApplyResult::failure(
            QStringLiteral("sway reports no screen to show the wallpaper on."));
    return {};
}

ApplyResult SwayBackend::setBackground(const QString &output, const QString &path,
                                       WallpaperStyle style) {
    QString background = QStringLiteral("#000000 solid_color");
    if (style != WallpaperStyle::Clear) {
        if (const ApplyResult readable = checkReadable(path); !readable.ok)
            return readable;
        if (!isPlainForSway(path))
            return ApplyResult::failure(
                QStringLiteral("sway cannot be given the wallpaper %1: its path holds characters "
                               "sway treats as commands.")
                    .arg(path));
        background = QStringLiteral("\"%1\" %2").arg(path, modeName(style));
    }
    return runProgram(QStringLiteral("swaymsg"),
                      {QStringLiteral("output \"%1\" bg %2").arg(output, background)});
}

ApplyResult SwayBackend::applyThroughSway(const QString &path, WallpaperStyle style) {
    QList<Output> outputs;
    if (const ApplyResult listed = listOutputs(&outputs); !listed.ok)
        return listed;
    for (const Output &output : outputs)
        if (const ApplyResult set = setBackground(output.name, path, style); !set.ok)
            return set;
    return {};
}

ApplyResult SwayBackend::applyThroughSwaybg(const QString &path, WallpaperStyle style) {
    if (style != WallpaperStyle::Clear) {
        if (const ApplyResult readable = checkReadable(path); !readable.ok)
            return readable;
    }
    const QString program = QStandardPaths::findExecutable(QStringLiteral("swaybg"));
    if (program.isEmpty())
        return ApplyResult::failure(QStringLiteral("swaybg is not installed."));
    QList<QByteArray> arguments{QFile::encodeName(program)};
    if (style == WallpaperStyle::Clear)
        arguments << "-c"
                  << "#000000";
    else
        arguments << "-i" << QFile::encodeName(path) << "-m" << modeName(style).toLatin1();
    QList<char *> argv;
    for (QByteArray &argument : arguments)
        argv.append(argument.data());
    argv.append(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv.first(), nullptr, nullptr, argv.data(), environ) != 0)
        return ApplyResult::failure(QStringLiteral("swaybg did not start."));
    // Give the new one time to draw before the old one goes, so the screen
    // never flashes; one that ended by then could not show the picture.
    QThread::msleep(HandoverMs);
    if (::waitpid(pid, nullptr, WNOHANG) == pid)
        return ApplyResult::failure(
            QStringLiteral("swaybg could not show the wallpaper (no Wayland compositor it can "
                           "draw on?)."));
    if (m_swaybg > 0)
        stopChild(m_swaybg);
    m_swaybg = pid;
    return {};
}
