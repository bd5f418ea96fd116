#include "ui/QtStopSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wirvela {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    // Nothing to do when the pipe is full: a stop is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &number, 1);
}

}  // namespace

QtStopSignals::QtStopSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
    notifier_ = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Arrived(); });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

QtStopSignals::~QtStopSignals() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    if (g_pipe[0] >= 0) ::close(g_pipe[0]);
    if (g_pipe[1] >= 0) ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QtStopSignals::Arrived() {
    unsigned char number = 0;
    if (::read(g_pipe[1], &number, 1) != 1) return;
    QCoreApplication::exit(128 + number);
}

}  // namespace wirvela
