// Quorvel packets found again in received bytes: a long stream cut at random with some packets
// damaged on the way, and the cases a person meets: a stray byte before packets, the default
// packet size cutting each packet in two, a long train read as a pseudo-terminal cuts it.
#include "cipher/quorvel_collector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "cipher/quorvel_packet.h"
#include "cipher/triple_des.h"
#include "support/bytes.h"

namespace zt {
namespace {

using test::Bytes;
using Kind = QuorvelCollector::Piece::Kind;

Bytes Build(std::mt19937& random, std::size_t length) {
  Bytes plain(length);
  for (auto& byte : plain) byte = static_cast<std::uint8_t>(' ' + random() % 95);
  Bytes packet(kQuorvelMaxCiphertext + 2);
  packet.resize(QuorvelEncipher(plain, packet, 1700000000));
  return packet;
}

// Feeds a collector and keeps what it hands out, in order.
struct Feed {
  void take(const QuorvelCollector::Pieces& pieces) {
    for (const auto& piece : pieces) {
      if (piece.kind == Kind::Packet) packets.emplace_back(handed.size(), piece.bytes.size());
      handed.insert(handed.end(), piece.bytes.begin(), piece.bytes.end());
    }
  }
  void add(std::span<const std::uint8_t> chunk) {
    take(collector.add(chunk));
    EXPECT_LE(collector.pending(), QuorvelCollector::kMaxPending);
  }
  std::size_t shown() const { return packets.size(); }

  QuorvelCollector collector;
  Bytes handed;                                              // every piece's bytes, in order
  std::vector<std::pair<std::size_t, std::size_t>> packets;  // offset and length of each
};

class QuorvelCollectorTest : public ::testing::Test {
 protected:
  void SetUp() override { QuorvelSetKey(test::fromHex("5A656D72612D54656C766F2D30313233")); }
};

TEST_F(QuorvelCollectorTest, ALongDamagedStreamComesOutWholeInOrderWithoutFalsePackets) {
  // --gtest_random_seed=N tries another stream.
  const auto seed = static_cast<unsigned>(GTEST_FLAG_GET(random_seed));
  std::mt19937 random(seed != 0 ? seed : 18);
  struct Sent {
    std::size_t begin, end;
    bool damaged;
  };
  std::vector<Sent> sent;
  Bytes wire;
  std::set<std::size_t> quiet;  // where the sender pauses
  for (int i = 0; i < 20000; ++i) {
    Bytes packet = Build(random, random() % (kQuorvelMaxPlaintext + 1));
    const bool damaged = random() % 100 == 0;
    const auto at = static_cast<std::ptrdiff_t>(random() % packet.size());
    const auto damage = damaged ? random() % 3 : 3;
    if (damage == 0) packet.insert(packet.begin() + at, static_cast<std::uint8_t>(random()));
    if (damage == 1) packet.erase(packet.begin() + at);
    if (damage == 2) packet[at] ^= static_cast<std::uint8_t>(1 + random() % 255);
    sent.push_back({wire.size(), wire.size() + packet.size(), damaged});
    wire.insert(wire.end(), packet.begin(), packet.end());
    if (random() % 40 == 0) quiet.insert(wire.size());
  }
  quiet.insert(wire.size());
  Feed feed;
  for (std::size_t fed = 0; fed < wire.size();) {
    // Reads of 1 to 4096 bytes, as many short as long ones, and none across a pause.
    const double read = std::exp2(std::uniform_real_distribution(0.0, 12.0)(random));
    std::size_t next = std::min(wire.size(), fed + static_cast<std::size_t>(read));
    next = std::min(next, *quiet.upper_bound(fed));
    feed.add(std::span(wire).subspan(fed, next - fed));
    fed = next;
    if (quiet.contains(fed)) feed.take(feed.collector.flush());
  }
  feed.take(feed.collector.flush());
  ASSERT_EQ(feed.handed, wire);  // nothing lost, nothing invented, all in order

  std::size_t undamaged = 0, shown = 0, remains = 0, falsePackets = 0;
  for (const Sent& unit : sent) undamaged += unit.damaged ? 0 : 1;
  for (const auto& [offset, length] : feed.packets) {
    const Sent& unit =
        *std::prev(std::upper_bound(sent.begin(), sent.end(), offset,
                                    [](std::size_t at, const Sent& s) { return at < s.begin; }));
    if (unit.begin == offset && unit.end == offset + length) {
      shown += unit.damaged ? 0 : 1;
    } else if (unit.damaged && offset + length <= unit.end) {
      ++remains;  // part of a damaged packet: where a byte was added inside it cannot be told
    } else {
      ++falsePackets;
    }
  }
  const double shownShare = static_cast<double>(shown) / static_cast<double>(undamaged);
  const double falsePer10k = 1e4 * static_cast<double>(falsePackets) / sent.size();
  std::printf(
      "seed %u: %zu of %zu undamaged packets shown (%.4f%%), %zu false (%.2f per 10,000), "
      "%zu parts of damaged packets\n",
      seed != 0 ? seed : 18, shown, undamaged, 100 * shownShare, falsePackets, falsePer10k,
      remains);
  EXPECT_GE(shownShare, 0.999);
  EXPECT_LE(falsePer10k, 1.0);
}

TEST_F(QuorvelCollectorTest, PacketsComeOutAsSoonAsTheyAreWholeWhereverTheyAreCut) {
  std::mt19937 random(7);
  // A stray byte, then short packets one per chunk: out from the second packet on.
  Feed stray;
  stray.add(Bytes{'X'});
  for (int i = 0; i < 6; ++i) {
    stray.add(Build(random, 5 + i));
    EXPECT_EQ(stray.shown(), i == 0 ? 0u : i + 1u) << i;
  }
  EXPECT_EQ(stray.handed.front(), 'X');

  // Full packets of the default packet size written 200 bytes at a time: each one out as its
  // second write arrives, whatever random trailers the first write holds.
  Feed halves;
  for (int i = 1; i <= 300; ++i) {
    const Bytes packet = Build(random, kQuorvelMaxPlaintext);
    halves.add(std::span(packet).first(200));
    halves.add(std::span(packet).subspan(200));
    ASSERT_EQ(halves.shown(), i);
  }

  // Back to back, written 4096 bytes at a time and read 4095 and 1 as a pseudo-terminal passes
  // them on: every packet out, none held longer than the next read.
  Feed train;
  Bytes wire;
  for (int i = 0; i < 2000; ++i) {
    const Bytes packet = Build(random, kQuorvelMaxPlaintext);
    wire.insert(wire.end(), packet.begin(), packet.end());
  }
  for (std::size_t at = 0; at < wire.size(); at += 4096) {
    const auto write = std::span(wire).subspan(at, std::min<std::size_t>(4096, wire.size() - at));
    train.add(write.first(write.size() - 1));
    train.add(write.last(1));
    EXPECT_GE((train.shown() + 2) * 394, at + write.size());  // held back: two at most
  }
  EXPECT_EQ(train.shown(), 2000u);
  EXPECT_EQ(train.collector.pending(), 0u);
}

}  // namespace
}  // namespace zt
