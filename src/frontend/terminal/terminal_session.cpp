#include "frontend/terminal/terminal_session.h"

#include <poll.h>

#include <csignal>
#include <utility>

#include "platform/ui/application.h"
#include "platform/ui/model_state.h"

namespace zt::term {

TerminalSession::TerminalSession(CursesTerminal& terminal, SignalWatch& signals, RunLoop& loop,
                                 TerminalOptions options)
    : terminal_(terminal), signals_(signals), loop_(loop), options_(std::move(options)) {}

TerminalSession::~TerminalSession() {
  setModelChangeHandler(nullptr);
  if (inputWatch_) loop_.unwatch(inputWatch_);
  if (signalWatch_) loop_.unwatch(signalWatch_);
  if (frameTimer_) loop_.cancel(frameTimer_);
}

void TerminalSession::start() {
  inputWatch_ = loop_.watch(terminal_.inputFd(), POLLIN, [this](short events) { onInput(events); });
  signalWatch_ = loop_.watch(signals_.fd(), POLLIN, [this](short) { onSignals(); });
  setModelChangeHandler([this] { requestFrame(); });
  render();
}

// The model is drawn again only when it changed, and at most once a frame: a stream of
// received bytes costs one redraw per frame, however many changes it makes, and once frames
// follow each other closely, a longer frame. The first change after a quiet spell is drawn at
// once. Building the frame may itself count as a change (tables lay out their rows): that asks
// for nothing.
void TerminalSession::requestFrame() {
  if (frameTimer_ != 0 || rendering_ || stopped_) return;
  const std::chrono::duration<double> stream(options_.streamFrameSeconds);
  // Twice the stream's frame: a stream whose frame timer fired a little late, or whose bytes
  // came just after it, still counts as one, so it is not drawn twice as often every other time.
  const bool streaming = lastFrame_ - frameBefore_ < 2 * stream;
  const auto due =
      lastFrame_ + (streaming ? stream : std::chrono::duration<double>(options_.frameSeconds));
  const std::chrono::duration<double> wait = due - std::chrono::steady_clock::now();
  frameTimer_ = loop_.after(wait.count(), [this] { onFrame(); });
}

void TerminalSession::onFrame() {
  frameTimer_ = 0;
  if (!stopped_ && (dirty_ || frontEnd_.modelChanged())) render();
}

// Draws now; a frame already asked for has nothing left to draw.
void TerminalSession::render() {
  if (frameTimer_ != 0) loop_.cancel(frameTimer_);
  frameTimer_ = 0;
  rendering_ = true;
  terminal_.draw(frontEnd_.frame(terminal_.width(), terminal_.height()));
  rendering_ = false;
  frameBefore_ = lastFrame_;
  lastFrame_ = std::chrono::steady_clock::now();
  dirty_ = false;
}

void TerminalSession::onInput(short events) {
  for (const InputEvent& event : terminal_.read()) {
    if (stopped_) return;
    switch (event.kind) {
      case InputEvent::Kind::Key:
        handle(frontEnd_.key(event.key, terminal_.height()));
        break;
      case InputEvent::Kind::Click:
        handle(frontEnd_.click(event.x, event.y));
        break;
      case InputEvent::Kind::Resize:
        terminal_.resize();
        break;
    }
    dirty_ = true;
  }
  // The terminal went away (hang-up): nothing will come any more; end as on a quit.
  if (events & (POLLHUP | POLLERR | POLLNVAL)) quit();
  if (!stopped_) render();
}

void TerminalSession::onSignals() {
  for (int signal : signals_.take()) {
    if (stopped_) return;
    if (signal == SIGWINCH) {
      terminal_.resize();
      dirty_ = true;
    } else if (signal == SIGTSTP) {
      suspend();
    } else {
      quit();
    }
  }
  if (!stopped_ && dirty_) render();
}

void TerminalSession::handle(FrontEnd::Request request) {
  if (request == FrontEnd::Request::Quit) quit();
  if (request == FrontEnd::Request::Suspend) suspend();
}

void TerminalSession::suspend() {
  Application::shared().enterBackground();
  terminal_.release();
  (void)std::raise(SIGSTOP);  // cannot fail for a valid signal
  // Continued: the terminal may have been used by others meanwhile; draw everything again.
  terminal_.resume();
  terminal_.resize();
  Application::shared().enterForeground();
  render();
}

void TerminalSession::quit() {
  stopped_ = true;
  loop_.stop();
}

}  // namespace zt::term
