#include "app/platform/linux/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrine {

namespace {

int pipeFDs[2] = {-1, -1};
struct sigaction previousTerm {};
struct sigaction previousInt {};
struct sigaction previousHup {};

extern "C" void onTerminationSignal(int number) {
    const int saved = errno;
    const char byte = char(number);
    // Async-signal-safe; a full pipe already holds a pending request, so a lost byte is harmless.
    [[maybe_unused]] const ssize_t n = ::write(pipeFDs[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeFDs[0] >= 0) return;  // another instance is installed
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFDs) != 0) {
        pipeFDs[0] = pipeFDs[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(pipeFDs[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm);
    ::sigaction(SIGINT, &action, &previousInt);
    // The end of the session (the terminal or the login closing) asks the same as SIGTERM.
    ::sigaction(SIGHUP, &action, &previousHup);
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (!installed_) return;
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGHUP, &previousHup, nullptr);
    delete notifier_;
    ::close(pipeFDs[0]);
    ::close(pipeFDs[1]);
    pipeFDs[0] = pipeFDs[1] = -1;
}

void TerminationSignals::drain() {
    char bytes[16];
    ssize_t n;
    while ((n = ::read(pipeFDs[0], bytes, sizeof(bytes))) > 0)
        for (ssize_t i = 0; i < n; ++i) emit received(int(bytes[i]));
}

}  // namespace kestrine
