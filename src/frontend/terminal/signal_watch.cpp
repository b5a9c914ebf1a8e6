#include "frontend/terminal/signal_watch.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zt::term {

SignalWatch::SignalWatch() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGWINCH, SIGINT, SIGTERM, SIGHUP, SIGTSTP}) sigaddset(&set, signal);
  if (const int error = pthread_sigmask(SIG_BLOCK, &set, &previous_); error != 0) {
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    throw std::system_error(error, std::generic_category(), "signalfd");
  }
}

SignalWatch::~SignalWatch() {
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
