#include "shell/uSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace inkora {

namespace {
int gSignalFds[2] = {-1, -1};

void onTermination(int) {
  const char b = 1;
  [[maybe_unused]] const ssize_t n = ::write(gSignalFds[0], &b, 1);
}
}  // namespace

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), FOnSignal(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalFds) != 0) return;
  FNotifier = new QSocketNotifier(gSignalFds[1], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] {
    char b;
    [[maybe_unused]] const ssize_t n = ::read(gSignalFds[1], &b, 1);
    if (FOnSignal) FOnSignal();
  });
  struct sigaction sa = {};
  sa.sa_handler = onTermination;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  if (gSignalFds[0] >= 0) ::close(gSignalFds[0]);
  if (gSignalFds[1] >= 0) ::close(gSignalFds[1]);
  gSignalFds[0] = gSignalFds[1] = -1;
}

}  // namespace inkora
