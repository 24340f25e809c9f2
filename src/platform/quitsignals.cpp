#include "quitsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
constexpr int QuitSignalNumbers[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int number) {
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : QuitSignalNumbers)
        ::sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (const int number : QuitSignalNumbers)
        std::signal(number, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void QuitSignals::readSignal() {
    char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    // One way out is enough: a second signal must not interrupt the saving.
    for (const int number : QuitSignalNumbers)
        std::signal(number, SIG_IGN);
    m_notifier->setEnabled(false);
    Q_EMIT quitRequested(int(byte));
}
