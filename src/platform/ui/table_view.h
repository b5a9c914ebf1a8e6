// TableView: a scrolling list of sections and rows, filled by a data source and steered by a
// delegate (both held weakly). Rows are laid out top to bottom from the delegate's heights
// (default rowHeight, 44), each section after its header (default height: plain 22 with a title,
// 0 without; grouped 44 with a title, 10 without). Only rows that intersect the visible area
// [contentOffset, contentOffset + frame height) have cells: a row that leaves it gives its cell
// back to the reuse queue, a row that comes back into it is built again by the data source.
//
// Layout is lazy, as on the phone: reloadData and frame or offset changes take effect at the
// next layout (layoutIfNeeded, which also runs before a screen's viewDidAppear, before a display
// list is built and before a touch is delivered) or at the next query of cells or geometry.
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/display_list.h"
#include "platform/ui/table_view_cell.h"

namespace zt {

class TableView;

class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int numberOfSectionsInTableView(TableView&) { return 1; }
  virtual int numberOfRowsInSection(TableView&, int section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath path) = 0;
  // No title by default; "" is a title too (a grouped table then leaves a small gap).
  virtual std::optional<std::string> titleForHeaderInSection(TableView&, int) {
    return std::nullopt;
  }
};

class TableViewDelegate {
 public:
  virtual ~TableViewDelegate() = default;
  virtual float heightForRowAtIndexPath(TableView& table, IndexPath path);
  virtual float heightForHeaderInSection(TableView& table, int section);
  virtual void didSelectRowAtIndexPath(TableView&, IndexPath) {}
  virtual void accessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath) {}
};

enum class TableViewStyle { Plain, Grouped };
enum class TableViewRowAnimation { Fade, Right, Left, Top, Bottom, None, Middle };
enum class TableViewScrollPosition { None, Top, Middle, Bottom };
enum class TableViewCellSeparatorStyle { None, SingleLine };

class TableView : public View {
 public:
  explicit TableView(Rect frame, TableViewStyle style = TableViewStyle::Plain);

  TableViewStyle style() const { return style_; }
  std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(std::weak_ptr<TableViewDataSource> dataSource);
  std::shared_ptr<TableViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TableViewDelegate> delegate);
  float rowHeight() const { return rowHeight_; }
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows);
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
  TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(TableViewCellSeparatorStyle style) { separatorStyle_ = style; }
  const Color& separatorColor() const { return separatorColor_; }
  void setSeparatorColor(Color color) { separatorColor_ = std::move(color); }

  // Asks the data source again for everything at the next layout.
  void reloadData();
  // Rebuilds the given rows now (counts and heights are asked again); `animation` is recorded.
  void reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
  std::optional<TableViewRowAnimation> lastRowAnimation() const { return lastRowAnimation_; }

  int numberOfSections();
  int numberOfRowsInSection(int section);
  std::optional<std::string> titleForHeaderInSection(int section);
  // Content coordinates.
  Rect rectForRowAtIndexPath(IndexPath path);
  Rect rectForHeaderInSection(int section);
  Size contentSize();
  Point contentOffset() const { return offset_; }
  void setContentOffset(Point offset, bool animated = false);
  // Scrolls so that the row is at the top, middle or bottom of the visible area (None: the least
  // scroll that shows it), within the content.
  void scrollToRowAtIndexPath(IndexPath path, TableViewScrollPosition position, bool animated);
  bool lastScrollAnimated() const { return lastScrollAnimated_; }
  // The part of the content on view: offset and frame size.
  Rect visibleRect() const;

  // The cell of a visible row, or null.
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath path);
  std::optional<IndexPath> indexPathForCell(const TableViewCell& cell);
  std::vector<IndexPath> indexPathsForVisibleRows();
  // A queued cell with the identifier, or null.
  std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

  // The header height used when the delegate does not give one.
  float defaultHeaderHeight(int section);

 protected:
  Point boundsOrigin() const override { return {0, offset_.y}; }
  void layoutSubviews() override;

 private:
  struct Section {
    std::optional<std::string> title;
    float headerY = 0;
    float headerHeight = 0;
    std::vector<float> rowY;
    std::vector<float> rowHeight;
  };

  void ensureModel();
  void loadModel();
  bool contains(IndexPath path) const;
  void updateVisibleCells();
  void enqueue(const std::shared_ptr<TableViewCell>& cell);

  TableViewStyle style_;
  std::weak_ptr<TableViewDataSource> dataSource_;
  std::weak_ptr<TableViewDelegate> delegate_;
  float rowHeight_ = 44;
  bool allowsSelection_ = true;
  bool scrollEnabled_ = true;
  TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
  Color separatorColor_ = Color::gray();
  Point offset_;
  bool lastScrollAnimated_ = false;
  std::optional<TableViewRowAnimation> lastRowAnimation_;

  bool needsReload_ = true;
  bool loading_ = false;
  std::vector<Section> sections_;
  float contentHeight_ = 0;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
  std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reuse_;
};

}  // namespace zt
