// Typed texts on the main thread: what Send refuses (a malformed escape, a text that one Quorvel
// packet cannot carry), the line ending the toolbar shows and F4 cycles for the whole run, and
// the recall of the texts sent in the run through Up and Down while the send field is edited;
// and the screen's key commands, F3 for History among them.
#include "cipher/quorvel_packet.h"
#include "settings/glb_param.h"
#include "transfer/data_transfers_view_controller.h"

namespace zt {

namespace {

std::string malformedEscapeMessage(const std::string& escape) {
  return "The text holds \"" + escape +
         R"(", which is not an escape; use \r, \n, \t, \\ or \x with two hex digits.)";
}

// With a line ending, the refusal says how many characters are left for the text before it.
std::string notOnePacketMessage(LineEnding ending, const char* plain) {
  if (ending == LineEnding::None) return plain;
  const std::size_t room = kQuorvelMaxPlaintext - LineEndingBytes(ending).size();
  return "The text cannot be sent as one Quorvel packet: use at most " + std::to_string(room) +
         " ASCII characters before the line ending " + std::string(LineEndingName(ending)) + ".";
}

}  // namespace

std::vector<KeyCommand> DataTransfersViewController::keyCommands() {
  auto weak = weakAs<DataTransfersViewController>();
  const auto recall = [weak](bool older) {
    return [weak, older] {
      if (auto self = weak.lock()) self->recallSentText(older);
    };
  };
  return {{"F3", "History",
           [weak] {
             if (auto self = weak.lock()) self->openHistory();
           }},
          {"F4", "EOL",
           [weak] {
             if (auto self = weak.lock()) self->cycleLineEnding();
           }},
          {"Up", "", recall(true), KeyCommandScope::WhileEditing},
          {"Down", "", recall(false), KeyCommandScope::WhileEditing}};
}

void DataTransfersViewController::sendTypedText() {
  GlbParam& settings = GlbParam::instance();
  std::string typed = sendTextField_->text();
  ReadTyped read = ReadTypedText(typed, settings.escapes(), settings.lineEnding());
  if (!read.malformed.empty()) {
    showWarning(malformedEscapeMessage(read.malformed));
    return;
  }
  if (settings.openQuorvel() && !QuorvelCarries(read.text)) {
    showWarning(notOnePacketMessage(settings.lineEnding(), kNotOnePacketMessage));
    return;
  }
  AppendSendData(std::move(read.text));
  settings.sentTexts().add(std::move(typed));
  recallBack_ = 0;
  sendTextField_->setText("");
  sendTextField_->resignFirstResponder();
}

void DataTransfersViewController::cycleLineEnding() {
  GlbParam& settings = GlbParam::instance();
  settings.setLineEnding(NextLineEnding(settings.lineEnding()));
  showLineEnding();
}

void DataTransfersViewController::showLineEnding() {
  const LineEnding ending = GlbParam::instance().lineEnding();
  lineEndingButton_->setTitle("EOL " + std::string(LineEndingName(ending)));
}

void DataTransfersViewController::recallSentText(bool older) {
  if (!sendTextField_->isFirstResponder()) return;
  const SentTexts& sent = GlbParam::instance().sentTexts();
  if (older) {
    if (recallBack_ >= sent.size()) return;
    if (recallBack_ == 0) recallDraft_ = sendTextField_->text();
    ++recallBack_;
  } else {
    if (recallBack_ == 0) return;
    --recallBack_;
  }
  sendTextField_->setText(recallBack_ == 0 ? recallDraft_ : sent.fromNewest(recallBack_ - 1));
}

}  // namespace zt
