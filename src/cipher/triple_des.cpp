#include "cipher/triple_des.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

#include "cipher/des_core.h"
#include "cipher/wipe.h"

namespace zt {
namespace {

// The key in force; empty means the all-zero table of process start. The mutex guards only
// the pointer, held for a copy or a swap: tables themselves are immutable once published.
constinit std::mutex tableMutex;
constinit std::shared_ptr<const des::SubkeyTable> currentTable;

std::shared_ptr<const des::SubkeyTable> LoadTable() {
  const std::lock_guard lock(tableMutex);
  return currentTable;
}

const des::SubkeyTable kZeroTable{};

// Holds the table in force for the life of one buffer operation.
class TableInForce {
 public:
  TableInForce() : held_(LoadTable()) {}
  const des::SubkeyTable& get() const { return held_ ? *held_ : kZeroTable; }

 private:
  std::shared_ptr<const des::SubkeyTable> held_;
};

constexpr std::uint64_t RoundUpToBlock(std::uint64_t length) {
  return (length + 7) & ~std::uint64_t{7};
}

}  // namespace

void QuorvelSetKey(std::span<const std::uint8_t> key) {
  WipedBytes<16> bytes{};
  std::copy_n(key.begin(), std::min(key.size(), bytes.size()), bytes.begin());
  const std::span<const std::uint8_t, 8> k1(bytes.data(), 8);
  const std::span<const std::uint8_t, 8> k2(bytes.data() + 8, 8);
  // The table replaced by the next key is wiped when its last reader lets it go.
  auto table = std::allocate_shared<des::SubkeyTable>(WipingAllocator<des::SubkeyTable>());
  table->sets[0] = des::MakeSubkeySet(k1);
  table->sets[1] = des::MakeSubkeySet(k2);
  table->sets[2] = table->sets[0];
  std::shared_ptr<const des::SubkeyTable> previous = std::move(table);
  const std::lock_guard lock(tableMutex);
  currentTable.swap(previous);
}

bool TripleDesEncipher(std::uint32_t length, std::span<std::uint8_t> data,
                       std::span<std::uint8_t> out, std::uint32_t& outLength) {
  outLength = 0;
  const std::uint64_t rounded = RoundUpToBlock(length);
  if (rounded > data.size() || rounded > out.size() || rounded > UINT32_MAX) return false;
  std::fill(data.begin() + length, data.begin() + static_cast<std::ptrdiff_t>(rounded), 0);
  const TableInForce table;
  des::EdeEncipherBlocks(table.get(), data.first(rounded), out);
  outLength = static_cast<std::uint32_t>(rounded);
  return true;
}

bool TripleDesDecipher(std::uint16_t length, std::span<const std::uint8_t> data,
                       std::span<std::uint8_t> out) {
  const std::uint64_t rounded = RoundUpToBlock(length);
  if (length > data.size() || rounded > out.size()) return false;
  const std::size_t whole = length & ~std::size_t{7};
  const TableInForce table;
  des::EdeDecipherBlocks(table.get(), data.first(whole), out);
  if (whole < length) {
    std::array<std::uint8_t, 8> last{};
    std::copy(data.begin() + static_cast<std::ptrdiff_t>(whole), data.begin() + length,
              last.begin());
    des::EdeDecipherBlocks(table.get(), last, out.subspan(whole));
  }
  return true;
}

}  // namespace zt
