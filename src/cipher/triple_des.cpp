#include "cipher/triple_des.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

#include "cipher/des_core.h"

namespace zt {
namespace {

// The key in force; empty means the all-zero table of process start.
constinit std::atomic<std::shared_ptr<const des::SubkeyTable>> currentTable;

const des::SubkeyTable kZeroTable{};

// Holds the table in force for the life of one buffer operation.
class TableInForce {
 public:
  TableInForce() : held_(currentTable.load(std::memory_order_acquire)) {}
  const des::SubkeyTable& get() const { return held_ ? *held_ : kZeroTable; }

 private:
  std::shared_ptr<const des::SubkeyTable> held_;
};

constexpr std::uint64_t RoundUpToBlock(std::uint64_t length) {
  return (length + 7) & ~std::uint64_t{7};
}

}  // namespace

void QuorvelSetKey(std::span<const std::uint8_t> key) {
  std::array<std::uint8_t, 16> bytes{};
  std::copy_n(key.begin(), std::min(key.size(), bytes.size()), bytes.begin());
  const std::span<const std::uint8_t, 8> k1(bytes.data(), 8);
  const std::span<const std::uint8_t, 8> k2(bytes.data() + 8, 8);
  auto table = std::make_shared<des::SubkeyTable>();
  table->sets[0] = des::MakeSubkeySet(k1);
  table->sets[1] = des::MakeSubkeySet(k2);
  table->sets[2] = table->sets[0];
  currentTable.store(std::move(table), std::memory_order_release);
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
