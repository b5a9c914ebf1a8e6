// TmuxSession: a program running in a detached tmux pane on a private server, for end-to-end
// tests that drive it with keys and read what it shows. Every session has its own socket and
// its server is killed when the session object goes away.
#pragma once

#include <string>
#include <vector>

namespace zt::test {

class TmuxSession {
 public:
  // Starts `shellCommand` in a pane of `width` x `height` cells.
  TmuxSession(const std::string& shellCommand, int width = 100, int height = 40);
  ~TmuxSession();
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  std::string screen() const;
  // Key names as tmux knows them ("Enter", "Down", "C-c", "F2").
  void keys(const std::vector<std::string>& names) const;
  // Types text literally.
  void type(const std::string& text) const;
  // Waits until the screen contains `text` (or, with `present` false, no longer does); false
  // after a generous deadline.
  bool waitFor(const std::string& text, bool present = true) const;
  // Clicks on the first cell of `text` as the terminal reports a click (X10 mouse encoding: a
  // press, then a release). False when the text is not on screen.
  bool clickOn(const std::string& text) const;
  std::string title() const;
  int panePid() const;
  void resize(int width, int height) const;

 private:
  std::string tmux(std::vector<std::string> args) const;
  std::string socket_;
};

}  // namespace zt::test
