#include "accessory/accessory_detail_view_controller.h"

#include <array>
#include <utility>

#include "accessory/screen_table.h"
#include "platform/external_accessory/accessory.h"

namespace zt {
namespace {

struct DetailRow {
  const char* title;
  std::string (*value)(const EAAccessory&);
};

constexpr std::array<DetailRow, 7> kRows = {{
    {"Name", [](const EAAccessory& a) { return a.name(); }},
    {"Connected", [](const EAAccessory& a) { return std::string(a.isConnected() ? "Yes" : "No"); }},
    {"firmware", [](const EAAccessory& a) { return a.firmwareRevision(); }},
    {"hardware", [](const EAAccessory& a) { return a.hardwareRevision(); }},
    {"manufacturer", [](const EAAccessory& a) { return a.manufacturer(); }},
    {"modeNumber", [](const EAAccessory& a) { return a.modelNumber(); }},
    {"serialNumber", [](const EAAccessory& a) { return a.serialNumber(); }},
}};

}  // namespace

// A record without an accessory (never made by the list screen) titles the screen "Unknown",
// as the list names such a row, and leaves every value empty.
void AccessoryDetailViewController::viewDidLoad() {
  const auto* accessory = accessoryInfo_ ? accessoryInfo_->accessory().get() : nullptr;
  setTitle(accessory ? accessory->name() : "Unknown");
  detailTableview_ = AddScreenTable(*this, TableViewStyle::Plain);
}

int AccessoryDetailViewController::numberOfRowsInSection(TableView& /*table*/, int /*section*/) {
  return static_cast<int>(kRows.size());
}

std::optional<std::string> AccessoryDetailViewController::titleForHeaderInSection(
    TableView& /*table*/, int /*section*/) {
  return "";
}

std::shared_ptr<TableViewCell> AccessoryDetailViewController::cellForRowAtIndexPath(
    TableView& table, IndexPath path) {
  auto cell = table.dequeueReusableCellWithIdentifier("DetailCell");
  if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "DetailCell");
  const DetailRow& row = kRows.at(static_cast<std::size_t>(path.row));
  const auto* accessory = accessoryInfo_ ? accessoryInfo_->accessory().get() : nullptr;
  cell->textLabel()->setText(row.title);
  cell->detailTextLabel()->setText(accessory ? row.value(*accessory) : "");
  cell->setBackgroundColor(Color::clear());
  return cell;
}

}  // namespace zt
