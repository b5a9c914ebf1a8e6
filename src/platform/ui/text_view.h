// TextView: a multi-line, scrolling text input (the settings fields, the transfer log). Its
// delegate is asked before editing begins or ends and before each change
// (shouldChangeTextInRange; the Return key arrives there as "\n"), and told when editing began
// or ended and after each typed change (textViewDidChange; setText tells nobody).
//
// contentInset is the padding the toolkit keeps around the text (a renderer keeps room for it);
// it is virtual so that a subclass can pin it. Content size is estimated from the text
// (lines of the font's height); scrollRectToVisible moves the content offset. A renderer that
// lays the text out in lines of its own tells a read-only view how much of it shows. The delegate is
// held weakly. Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/text_input.h"

namespace zt {

class TextView;

class TextViewDelegate {
 public:
  virtual ~TextViewDelegate() = default;
  virtual bool textViewShouldBeginEditing(TextView&) { return true; }
  virtual void textViewDidBeginEditing(TextView&) {}
  virtual bool textViewShouldEndEditing(TextView&) { return true; }
  virtual void textViewDidEndEditing(TextView&) {}
  virtual bool shouldChangeTextInRange(TextView&, Range, const std::string&) { return true; }
  virtual void textViewDidChange(TextView&) {}
  // A renderer now shows a different number of lines or columns of the view.
  virtual void textViewDidChangeVisibleSize(TextView&) {}
};

class TextView : public TextInput {
 public:
  using TextInput::TextInput;

  std::shared_ptr<TextViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { delegate_ = std::move(delegate); }
  virtual EdgeInsets contentInset() const { return kPadding; }
  // Width of the frame; height: the number of lines times the font's line height.
  Size contentSize() const;
  Point contentOffset() const { return offset_; }
  void setContentOffset(Point offset) { offset_ = offset; }
  // Scrolls the least needed to show `rect` (content coordinates).
  void scrollRectToVisible(Rect rect, bool animated);

  // How many lines of how many cells a renderer shows of this read-only view; 0 until it said.
  int visibleLines() const { return visibleLines_; }
  int visibleColumns() const { return visibleColumns_; }
  // Tells the delegate when the size changed (Touch::showTextLines calls it).
  void setVisibleSize(int lines, int columns);
  // Parts of the text shown marked (found text), as attributed text would colour them.
  const std::vector<Range>& markedRanges() const { return marked_; }
  void setMarkedRanges(std::vector<Range> ranges);

  void returnKeyPressed() override;
  bool shouldBeginEditing() override;
  void didBeginEditing() override;
  bool shouldEndEditing() override;
  void didEndEditing() override;

 protected:
  bool shouldChangeText(Range range, const std::string& replacement) override;
  void didChangeText() override;

 private:
  static constexpr EdgeInsets kPadding{8, 8, 8, 8};

  std::weak_ptr<TextViewDelegate> delegate_;
  Point offset_;
  int visibleLines_ = 0;
  int visibleColumns_ = 0;
  std::vector<Range> marked_;
};

}  // namespace zt
