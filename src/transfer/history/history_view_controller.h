// HistoryViewController: the "History" screen over a transfer screen: everything of the open
// session since it began, oldest first, each entry with its time to the millisecond. It follows
// new entries at the end and pauses when moved up; it pages, searches back and on (wrapping,
// matches marked), and switches between clock and delta times and between text and hex.
//
// The entries are shown in one read-only text view that holds exactly the rows on screen: the
// renderer tells the view how many lines of how many cells it shows, and the screen fills that.
// A line above the view tells the state: following or paused with the count of new entries,
// or that a search found nothing. The search text is typed in the toolbar's field, which sits
// above the keyboard while it is up; Find (or Return) looks for it going back from the bottom of
// the screen.
//
// Made with no store, it says that the history is off and how to turn it on. The store stays
// with this screen while it is shown, so the session may end underneath.
//
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "transfer/history/history_window.h"

namespace zt {

class HistoryViewController : public ViewController,
                              public TableViewDataSource,
                              public TableViewDelegate,
                              public TextFieldDelegate,
                              public TextViewDelegate {
 public:
  // `store`: the session's history; null when the history is off.
  explicit HistoryViewController(std::shared_ptr<HistoryStore> store);
  ~HistoryViewController() override;

  void viewDidLoad() override;
  // Up, Down, PgUp, PgDn, Home and End move; "/" searches, "n" and "N" find the next older and
  // newer match, "t" switches clock and delta times, "x" text and hex. After a search that
  // found nothing, a command without a key says so in the hint line.
  std::vector<KeyCommand> keyCommands() override;

  int numberOfRowsInSection(TableView& table, int section) override;
  float heightForRowAtIndexPath(TableView& table, IndexPath path) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override;
  bool textFieldShouldReturn(TextField& field) override;
  void textViewDidChangeVisibleSize(TextView& view) override;

 private:
  void moveLines(long lines);   // positive: newer
  void movePages(int pages);
  void goHome();
  void goEnd();
  void beginSearch();           // the search field takes the typing
  void findAgain(bool older);   // the next match of the last search text
  void toggleTimes();
  void toggleHex();
  void buildViews();
  // While the keyboard is up the toolbar sits above it, so that Find can be tapped.
  void observeKeyboard();
  void placeToolbar(float keyboardHeight);
  void runSearch();
  void find(HistorySpot from, bool older);
  // Shows the rows and the state line again; `soon`: within a frame, for new entries.
  void refresh();
  void refreshSoon();
  std::string stateLine() const;

  std::shared_ptr<HistoryStore> store_;
  std::optional<HistoryWindow> window_;
  std::string needle_;
  std::optional<HistorySpot> match_;
  bool notFound_ = false;
  bool refreshPending_ = false;
  std::shared_ptr<TableView> table_;
  std::shared_ptr<TableViewCell> cell_;
  std::shared_ptr<TextView> rows_;
  std::shared_ptr<TextField> searchField_;
  std::shared_ptr<Toolbar> toolbar_;
};

}  // namespace zt
