// HistoryStore: every entry of one session, oldest first, as the log and the capture are given
// them: time to the millisecond, kind (received, sent, undecodable bytes, a test file's start
// and end, a link lost and back), the text shown and the bytes as they went over the wire.
// Append-only and bounded: the memory it holds, each entry's index record included, stays within
// the limit; the oldest entries are dropped first and counted.
//
// Bytes live in chunks of one size (an entry larger than a chunk gets one of its own), each
// entry's text and wire bytes side by side, found through a compact record. An entry whose wire
// bytes are its text keeps them once. Appending copies the entry's bytes once; a full chunk is
// followed by the one the oldest entries left (so a full store touches no new memory), or by a
// new one, asked for in huge pages where the system gives them. While a store of such chunks
// grows, the next chunk is made ready ahead: a system may take milliseconds to hand out fresh
// pages, and a flood must not wait for them. Entries are numbered from 0 for the session; after
// drops the first kept entry's number is the count of dropped ones.
//
// Main thread only (the transfer screen appends, the history screen reads); not synchronized.
// The next chunk is mapped and its pages touched on a thread of its own, which shares nothing
// with the store until the chunk is taken.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <span>
#include <string_view>

namespace zt {

enum class HistoryKind : std::uint8_t {
  Received,       // text received; wire: its bytes (Quorvel: the packets)
  Sent,           // text sent; wire: its bytes (Quorvel: the packet)
  Undecodable,    // received bytes given up; no text of their own
  TestFileStart,  // a test file's transmission began; its bytes are not kept
  TestFileEnd,    // its finish or stopped line
  LinkLost,       // the session ended and the screen waits for the accessory; no text
  LinkBack,       // a new session on it; no text
  NotSent,        // how many typed texts were dropped when the link was lost
};

struct HistoryEntry {
  HistoryKind kind = HistoryKind::Received;
  std::int64_t ms = 0;  // milliseconds since the epoch
  std::string_view text;
  std::span<const std::uint8_t> wire;
};

class HistoryStore {
 public:
  using Time = std::chrono::system_clock::time_point;

  explicit HistoryStore(std::uint64_t limitBytes);
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // An entry whose wire bytes are the bytes of its text (none for a test file's lines).
  void appendText(HistoryKind kind, Time at, std::string_view text);
  // An entry with wire bytes of their own (Quorvel packets, undecodable bytes), or none.
  void append(HistoryKind kind, Time at, std::string_view text,
              std::span<const std::uint8_t> wire);

  std::uint64_t limit() const { return limit_; }
  // Bytes held: chunks, index records and their bookkeeping.
  std::uint64_t usage() const { return usage_; }
  // Entry numbers kept: [firstId(), endId()). firstId() is how many were dropped.
  std::uint64_t firstId() const { return firstId_; }
  std::uint64_t endId() const { return firstId_ + records_.size(); }
  // A kept entry; its views stay valid until the next append.
  HistoryEntry entry(std::uint64_t id) const;

  // Told after each append (the history screen refreshes); empty: nobody.
  void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  struct Record {
    std::int64_t ms;
    std::uint64_t chunk;  // number of the chunk since the store began
    std::uint32_t offset;
    std::uint32_t textLength;
    std::uint32_t wireLength;
    HistoryKind kind;
    bool wireIsText;
  };
  // Bytes of one chunk: from the heap, or mapped in huge pages.
  class Chunk {
   public:
    Chunk() = default;
    explicit Chunk(std::size_t size);
    Chunk(Chunk&& other) noexcept { *this = std::move(other); }
    Chunk& operator=(Chunk&& other) noexcept;
    ~Chunk() { release(); }

    std::uint8_t* bytes() const { return bytes_; }
    std::size_t size() const { return size_; }
    bool mapped() const { return mapped_; }
    // Writes to every page, so that the system provides them now.
    void touch();
    std::size_t used = 0;

   private:
    void release();
    std::uint8_t* bytes_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
  };

  void add(HistoryKind kind, Time at, std::string_view text, std::span<const std::uint8_t> wire,
           bool wireIsText);
  // Room for `length` bytes in the newest chunk, or in a new one; the chunk's number.
  std::uint64_t reserve(std::size_t length);
  // Has the next chunk made ready once the newest is a quarter full, while the store grows.
  void prepareNextChunk();
  void dropOldest();
  void freeUnusedChunks();

  std::uint64_t limit_;
  std::size_t chunkSize_;
  std::uint64_t usage_ = 0;
  std::uint64_t firstId_ = 0;
  std::uint64_t firstChunk_ = 0;  // number of chunks_.front()
  std::deque<Record> records_;
  std::deque<Chunk> chunks_;
  Chunk spare_;  // the last chunk freed, for the next one needed
  std::future<Chunk> next_;  // being made ready; counted in usage_ from when it was asked for
  std::function<void()> observer_;
};

}  // namespace zt
