#include "ServiceSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace listener {

namespace {
int selfPipe[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(selfPipe[1], &byte, 1);
    errno = saved;
}

void handle(int signalNumber, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}
} // namespace

ServiceSignals::ServiceSignals(QObject* parent) : QObject(parent) {
    // Close-on-exec, so the game servers started later do not hold the pipe.
    if (::pipe2(selfPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(selfPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServiceSignals::readPipe);
    for (const int signalNumber : kSignals)
        handle(signalNumber, onSignal);
}

ServiceSignals::~ServiceSignals() {
    if (!m_notifier)
        return;
    for (const int signalNumber : kSignals)
        handle(signalNumber, SIG_DFL);
    delete m_notifier;
    ::close(selfPipe[0]);
    ::close(selfPipe[1]);
    selfPipe[0] = selfPipe[1] = -1;
}

void ServiceSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(selfPipe[0], &byte, 1) == 1)
        emit received(byte);
}

} // namespace listener
