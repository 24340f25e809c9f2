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

Result<void> checkReadable(const QString &path) {
    // sway reports success for a file it cannot open and keeps the old picture.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return Failure{QStringLiteral("The wallpaper file %1 cannot be read.").arg(path)};
    return {};
}

// What follows "bg" in sway's output command for a picture.
Result<QString> pictureBackground(const QString &path, WallpaperStyle style) {
    if (const Result<void> readable = checkReadable(path); !readable)
        return Failure{readable.error()};
    if (!isPlainForSway(path))
        return Failure{QStringLiteral("sway cannot be given the wallpaper %1: its path holds "
                                      "characters sway treats as commands.")
                           .arg(path)};
    return QStringLiteral("\"%1\" %2").arg(path, modeName(style));
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

Result<void> SwayBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    if (!qEnvironmentVariableIsEmpty("SWAYSOCK")) {
        const Result<QList<Output>> outputs = listOutputs();
        if (!outputs)
            return outputs;
        const Result<QString> background = pictureBackground(path, style);
        if (!background)
            return background;
        return setBackgrounds(*outputs, *background);
    }
    if (const Result<void> readable = checkReadable(path); !readable)
        return readable;
    return startSwaybg({"-i", QFile::encodeName(path), "-m", modeName(style).toLatin1()});
}

Result<void> SwayBackend::clear() {
    if (!qEnvironmentVariableIsEmpty("SWAYSOCK")) {
        const Result<QList<Output>> outputs = listOutputs();
        if (!outputs)
            return outputs;
        return setBackgrounds(*outputs, QStringLiteral("#000000 solid_color"));
    }
    return startSwaybg({"-c", "#000000"});
}

Result<void> SwayBackend::applyPerMonitor(const MonitorPictureWriter &writePicture,
                                          const QList<Monitor> &, const QString &path,
                                          WallpaperStyle style) {
    if (qEnvironmentVariableIsEmpty("SWAYSOCK"))
        return apply(path, {}, style);
    const Result<QList<Output>> outputs = listOutputs();
    if (!outputs)
        return outputs;
    for (const Output &output : *outputs) {
        const Result<QString> own = writePicture(output.name, output.size);
        if (!own)
            return own;
        const Result<QString> background = pictureBackground(*own, WallpaperStyle::Stretch);
        if (!background)
            return background;
        if (const Result<void> set = setBackground(output.name, *background); !set)
            return set;
    }
    return {};
}

Result<QList<SwayBackend::Output>> SwayBackend::listOutputs() {
    const Result<QString> reply =
        runProgram(QStringLiteral("swaymsg"),
                   {QStringLiteral("-t"), QStringLiteral("get_outputs"), QStringLiteral("-r")});
    if (!reply)
        return Failure{reply.error()};
    QList<Output> outputs;
    const QJsonArray all = QJsonDocument::fromJson(reply->toUtf8()).array();
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
            outputs.append({name, size});
    }
    if (outputs.isEmpty())
        return Failure{QStringLiteral("sway reports no screen to show the wallpaper on.")};
    return outputs;
}

Result<void> SwayBackend::setBackground(const QString &output, const QString &background) {
    return runProgram(QStringLiteral("swaymsg"),
                      {QStringLiteral("output \"%1\" bg %2").arg(output, background)});
}

Result<void> SwayBackend::setBackgrounds(const QList<Output> &outputs, const QString &background) {
    for (const Output &output : outputs)
        if (const Result<void> set = setBackground(output.name, background); !set)
            return set;
    return {};
}

Result<void> SwayBackend::startSwaybg(QList<QByteArray> arguments) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("swaybg"));
    if (program.isEmpty())
        return Failure{QStringLiteral("swaybg is not installed.")};
    arguments.prepend(QFile::encodeName(program));
    QList<char *> argv;
    for (QByteArray &argument : arguments)
        argv.append(argument.data());
    argv.append(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv.first(), nullptr, nullptr, argv.data(), environ) != 0)
        return Failure{QStringLiteral("swaybg did not start.")};
    // Give the new one time to draw before the old one goes, so the screen
    // never flashes; one that ended by then could not show the picture.
    QThread::msleep(HandoverMs);
    if (::waitpid(pid, nullptr, WNOHANG) == pid)
        return Failure{
            QStringLiteral("swaybg could not show the wallpaper (no Wayland compositor it can "
                           "draw on?).")};
    if (m_swaybg > 0)
        stopChild(m_swaybg);
    m_swaybg = pid;
    return {};
}
