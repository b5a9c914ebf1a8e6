#include "platform/ui/table_view.h"

#include <algorithm>

#include "platform/ui/model_state.h"

namespace zt {

float TableViewDelegate::heightForRowAtIndexPath(TableView& table, IndexPath) {
  return table.rowHeight();
}

float TableViewDelegate::heightForHeaderInSection(TableView& table, int section) {
  return table.defaultHeaderHeight(section);
}

TableView::TableView(Rect frame, TableViewStyle style) : View(frame), style_(style) {
  setBackgroundColor(Color::white());
}

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> dataSource) {
  dataSource_ = std::move(dataSource);
  reloadData();
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate) {
  delegate_ = std::move(delegate);
  reloadData();
}

void TableView::setAllowsSelection(bool allows) {
  allowsSelection_ = allows;
  noteModelChange();
}

void TableView::reloadData() {
  assertMainThread();
  needsReload_ = true;
  noteModelChange();
}

float TableView::defaultHeaderHeight(int section) {
  if (section < 0 || static_cast<std::size_t>(section) >= sections_.size()) return 0;
  const auto& title = sections_[static_cast<std::size_t>(section)].title;
  bool titled = title && !title->empty();
  if (style_ == TableViewStyle::Plain) return titled ? 22 : 0;
  return titled ? 44 : 10;
}

void TableView::ensureModel() {
  if (!needsReload_ || loading_) return;
  loading_ = true;
  for (auto& [path, cell] : visible_) enqueue(cell);
  visible_.clear();
  loadModel();
  loading_ = false;
}

void TableView::loadModel() {
  needsReload_ = false;
  auto source = dataSource();
  auto d = delegate();
  auto keepAlive = shared_from_this();
  sections_.clear();
  int count = source ? std::max(0, source->numberOfSectionsInTableView(*this)) : 0;
  float y = 0;
  for (int s = 0; s < count; ++s) {
    sections_.push_back({source->titleForHeaderInSection(*this, s), y, 0, {}, {}});
    float header = d ? d->heightForHeaderInSection(*this, s) : defaultHeaderHeight(s);
    auto& section = sections_.back();
    section.headerHeight = std::max(0.0f, header);
    y += section.headerHeight;
    int rows = std::max(0, source->numberOfRowsInSection(*this, s));
    for (int r = 0; r < rows; ++r) {
      float h = d ? d->heightForRowAtIndexPath(*this, {s, r}) : rowHeight_;
      sections_[static_cast<std::size_t>(s)].rowY.push_back(y);
      sections_[static_cast<std::size_t>(s)].rowHeight.push_back(std::max(0.0f, h));
      y += std::max(0.0f, h);
    }
  }
  contentHeight_ = y;
}

bool TableView::contains(IndexPath path) const {
  return path.section >= 0 && path.row >= 0 &&
         static_cast<std::size_t>(path.section) < sections_.size() &&
         static_cast<std::size_t>(path.row) <
             sections_[static_cast<std::size_t>(path.section)].rowY.size();
}

void TableView::layoutSubviews() {
  if (loading_) return;
  auto keepAlive = shared_from_this();
  ensureModel();
  loading_ = true;
  updateVisibleCells();
  loading_ = false;
}

void TableView::updateVisibleCells() {
  Rect view = visibleRect();
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (!contains(it->first) || !rectForRowAtIndexPath(it->first).intersects(view)) {
      enqueue(it->second);
      it = visible_.erase(it);
    } else {
      it->second->setFrame(rectForRowAtIndexPath(it->first));
      ++it;
    }
  }
  auto source = dataSource();
  if (!source) return;
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    for (std::size_t r = 0; r < sections_[s].rowY.size(); ++r) {
      IndexPath path{static_cast<int>(s), static_cast<int>(r)};
      Rect rowRect = rectForRowAtIndexPath(path);
      if (!rowRect.intersects(view) || visible_.count(path)) continue;
      auto cell = source->cellForRowAtIndexPath(*this, path);
      if (!cell) continue;
      cell->setHidden(false);
      cell->setFrame(rowRect);
      if (cell->superview() != this) addSubview(cell);
      cell->layoutIfNeeded();
      visible_[path] = cell;
    }
  }
}

void TableView::enqueue(const std::shared_ptr<TableViewCell>& cell) {
  if (cell->reuseIdentifier().empty()) {
    cell->removeFromSuperview();
    return;
  }
  cell->setHidden(true);
  auto& queue = reuse_[cell->reuseIdentifier()];
  if (std::find(queue.begin(), queue.end(), cell) == queue.end()) queue.push_back(cell);
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(
    const std::string& identifier) {
  assertMainThread();
  auto it = reuse_.find(identifier);
  if (it == reuse_.end() || it->second.empty()) return nullptr;
  auto cell = it->second.back();
  it->second.pop_back();
  return cell;
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                       TableViewRowAnimation animation) {
  assertMainThread();
  auto keepAlive = shared_from_this();
  lastRowAnimation_ = animation;
  ensureModel();
  loading_ = true;
  loadModel();
  for (const auto& path : paths) {
    auto it = visible_.find(path);
    if (it == visible_.end()) continue;
    enqueue(it->second);
    visible_.erase(it);
  }
  updateVisibleCells();
  loading_ = false;
  noteModelChange();
}

int TableView::numberOfSections() {
  ensureModel();
  return static_cast<int>(sections_.size());
}

int TableView::numberOfRowsInSection(int section) {
  ensureModel();
  if (section < 0 || static_cast<std::size_t>(section) >= sections_.size()) return 0;
  return static_cast<int>(sections_[static_cast<std::size_t>(section)].rowY.size());
}

std::optional<std::string> TableView::titleForHeaderInSection(int section) {
  ensureModel();
  if (section < 0 || static_cast<std::size_t>(section) >= sections_.size()) return std::nullopt;
  return sections_[static_cast<std::size_t>(section)].title;
}

Rect TableView::rectForRowAtIndexPath(IndexPath path) {
  ensureModel();
  if (!contains(path)) return {};
  const auto& section = sections_[static_cast<std::size_t>(path.section)];
  auto row = static_cast<std::size_t>(path.row);
  return {0, section.rowY[row], frame().width, section.rowHeight[row]};
}

Rect TableView::rectForHeaderInSection(int section) {
  ensureModel();
  if (section < 0 || static_cast<std::size_t>(section) >= sections_.size()) return {};
  const auto& s = sections_[static_cast<std::size_t>(section)];
  return {0, s.headerY, frame().width, s.headerHeight};
}

Size TableView::contentSize() {
  ensureModel();
  return {frame().width, contentHeight_};
}

Rect TableView::visibleRect() const { return {0, offset_.y, frame().width, frame().height}; }

void TableView::setContentOffset(Point offset, bool animated) {
  assertMainThread();
  lastScrollAnimated_ = animated;
  if (offset == offset_) return;
  offset_ = offset;
  noteModelChange();
}

void TableView::scrollToRowAtIndexPath(IndexPath path, TableViewScrollPosition position,
                                       bool animated) {
  assertMainThread();
  Rect row = rectForRowAtIndexPath(path);
  if (!contains(path)) return;
  float height = frame().height;
  float y = offset_.y;
  switch (position) {
    case TableViewScrollPosition::Top:
      y = row.y;
      break;
    case TableViewScrollPosition::Middle:
      y = row.y - (height - row.height) / 2;
      break;
    case TableViewScrollPosition::Bottom:
      y = row.maxY() - height;
      break;
    case TableViewScrollPosition::None:
      if (row.maxY() > y + height) y = row.maxY() - height;
      if (row.y < y) y = row.y;
      break;
  }
  y = std::max(0.0f, std::min(y, contentHeight_ - height));
  setContentOffset({offset_.x, y}, animated);
  layoutSubviews();
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath path) {
  assertMainThread();
  layoutSubviews();
  auto it = visible_.find(path);
  return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) {
  layoutSubviews();
  for (const auto& [path, visibleCell] : visible_) {
    if (visibleCell.get() == &cell) return path;
  }
  return std::nullopt;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() {
  layoutSubviews();
  std::vector<IndexPath> paths;
  for (const auto& [path, cell] : visible_) paths.push_back(path);
  return paths;
}

}  // namespace zt
