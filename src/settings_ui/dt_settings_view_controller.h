// DTSettingsViewController: the transfer settings screen. It edits the process-wide settings
// object (GlbParam) and nothing else: the data format (a picker over the screen), the test-file
// line and its repetitions are written the moment they change; the auto-send text (the same
// line), the auto-repeat interval, the packet size and the pause between packets only on "OK",
// after its checks. "Cancel" closes without writing. Nothing is stored on disk.
//
// Two tables, told apart by tag: the main table (tag 0: a "Data Format" row, then the test-file
// group of six rows) and the format picker (tag 1, made on first use). While a field is edited
// the main table moves up by the field's amount, an overlay (tag 100) over the table turns any
// touch into the end of the edit, numeric fields get a "Done" key over the number pad and their
// cursor put after their text a tenth of a second later. The screen closes through its
// navigation controller; construct it with std::make_shared and push it.
//
// Main thread only. The delayed cursor move and the Done key hold the screen weakly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ui.h"
#include "settings_ui/ui_zemra_text_view.h"

namespace zt {

class DTSettingsViewController : public ViewController,
                                 public TableViewDataSource,
                                 public TableViewDelegate,
                                 public TextViewDelegate {
 public:
  DTSettingsViewController() = default;
  ~DTSettingsViewController() override;
  DTSettingsViewController(const DTSettingsViewController&) = delete;
  DTSettingsViewController& operator=(const DTSettingsViewController&) = delete;

  // The main table (tag 0).
  const std::shared_ptr<TableView>& tableview() const { return tableview_; }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  // Fills the interval field with the interval in force and lets it be edited.
  void viewDidAppear(bool animated) override;
  // Stops observing the keyboard, then ends editing.
  void viewWillDisappear(bool animated) override;
  // Takes the Done key away.
  void viewDidDisappear(bool animated) override;
  // A touch that ended on the screen (the overlay passes it on) ends editing.
  void touchesEnded() override;

  // Checks, writes and closes; a failed check shows its alert and leaves the screen open.
  void PressOKBtn();
  void PressCancelBtn();
  // Brings the format picker up, with the checkmark on the format in force.
  void ChangeDataFormat();
  // Moves the format picker out of sight (it stays in the view).
  void scrollToBottom();

  // Both tables, answered by the asking table's tag.
  int numberOfSectionsInTableView(TableView& table) override;
  int numberOfRowsInSection(TableView& table, int section) override;
  float heightForRowAtIndexPath(TableView& table, IndexPath path) override;
  float heightForHeaderInSection(TableView& table, int section) override;
  std::optional<std::string> titleForHeaderInSection(TableView& table, int section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
  void didSelectRowAtIndexPath(TableView& table, IndexPath path) override;

  // The line and the repetitions are written at once, and the total follows them.
  void textViewDidChange(TextView& textView) override;
  // Records the edited field and shifts the table for it.
  void textViewDidBeginEditing(TextView& textView) override;
  // The Return key ends editing instead of breaking the line.
  bool shouldChangeTextInRange(TextView& textView, Range range,
                               const std::string& text) override;

  void keyboardWillShow(const Notification& notification);
  void keyboardDidHide(const Notification& notification);
  void handleKeyboardDidShow(const Notification& notification);
  void handleKeyboardWillHide(const Notification& notification);
  // The Done key's action: ends editing.
  void finishAction();
  // Puts the cursor of the field last edited after its text.
  void gotoBehind();

 private:
  // Rows of the test-file group.
  enum TestFileRow { kLineRow, kIntervalRow, kRepetitionsRow, kTotalRow, kPacketSizeRow,
                     kSleepTimeRow, kTestFileRows };

  // Main table.
  std::shared_ptr<TableViewCell> mainCell(TableView& table, IndexPath path);
  void fillTestFileRow(TableViewCell& cell, int row);
  std::shared_ptr<UIZemraTextView> makeField(TableViewCell& cell, bool numeric, std::string text);
  void showTotal();
  // Format picker.
  std::shared_ptr<TableViewCell> pickerCell(TableView& table, int row);
  void chooseFormat(int row);

  // The field's row in the test-file group, if it is one of this screen's fields.
  std::optional<int> rowOfField(const TextView& textView) const;
  // The field gives up the keyboard and the overlay goes.
  void endEditing();
  void removeDoneKey();

  std::shared_ptr<TableView> tableview_;
  std::shared_ptr<UIZemraTextView> intervalTimeTextView_;
  std::shared_ptr<UIZemraTextView> largedataTextView_;
  std::shared_ptr<UIZemraTextView> lineCountTextView_;
  std::shared_ptr<Label> largedataTotalBytesLabel_;
  std::shared_ptr<UIZemraTextView> eachPacketSizeTextView_;
  std::shared_ptr<UIZemraTextView> sleepTimeTextView_;
  std::int32_t largeDataTotalBytes_ = 0;
  int curSection_ = 0;
  int curRow_ = 0;
  std::weak_ptr<UIZemraTextView> curTextView_;
  Rect tableviewRect_;
  std::int32_t keyboardHeight_ = 0;
  std::shared_ptr<Button> doneInKeyboardButton_;
  std::shared_ptr<View> editingOverlay_;
  std::shared_ptr<TableView> formatPicker_;
};

}  // namespace zt
