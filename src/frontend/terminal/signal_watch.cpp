#include "frontend/terminal/signal_watch.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace zt::term {

SignalWatch::SignalWatch() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGWINCH, SIGINT, SIGTERM, SIGHUP, SIGTSTP}) sigaddset(&set, signal);
  if (const int error = pthread_sigmask(SIG_BLOCK, &set, &previous_); error != 0) {
    failure_ = systemError(error, "pthread_sigmask");
    return;
  }
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    failure_ = systemError(errno, "signalfd");
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
}

SignalWatch::~SignalWatch() {
  if (fd_ < 0) return;
  close(fd_);
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

std::vector<int> SignalWatch::take() {
  std::vector<int> signals;
  signalfd_siginfo info{};
  while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    signals.push_back(static_cast<int>(info.ssi_signo));
  }
  return signals;
}

}  // namespace zt::term
