#include "transfer/history/history_store.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace zt {

namespace {

// What a chunk costs beside its bytes: its bookkeeping and the allocator's header.
constexpr std::uint64_t kChunkOverhead = sizeof(void*) * 6;
// A huge page: chunks of this size and alignment may be backed by one.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// `size` bytes, aligned and advised as huge pages when `size` is a multiple of one.
std::uint8_t* allocate(std::size_t size) {
  if (size % kHugePage != 0) return static_cast<std::uint8_t*>(std::malloc(size));
  void* bytes = std::aligned_alloc(kHugePage, size);
  // Only advice: without huge pages the chunk works as well, with more page faults.
  if (bytes != nullptr) static_cast<void>(::madvise(bytes, size, MADV_HUGEPAGE));
  return static_cast<std::uint8_t*>(bytes);
}

}  // namespace

void HistoryStore::Free::operator()(std::uint8_t* bytes) const { std::free(bytes); }

HistoryStore::HistoryStore(std::uint64_t limitBytes)
    : limit_(limitBytes),
      chunkSize_(static_cast<std::size_t>(
          std::clamp<std::uint64_t>(limitBytes / 16, 4096, kHugePage))) {}

void HistoryStore::appendText(HistoryKind kind, Time at, std::string_view text) {
  add(kind, at, text, {}, kind == HistoryKind::Received || kind == HistoryKind::Sent);
}

void HistoryStore::append(HistoryKind kind, Time at, std::string_view text,
                          std::span<const std::uint8_t> wire) {
  add(kind, at, text, wire, false);
}

void HistoryStore::add(HistoryKind kind, Time at, std::string_view text,
                       std::span<const std::uint8_t> wire, bool wireIsText) {
  const std::size_t length = text.size() + wire.size();
  if (sizeof(Record) + length > limit_ || length > UINT32_MAX) {
    // Newer than everything kept and alone beyond the limit: nothing older may stay either.
    while (!records_.empty()) dropOldest();
    freeUnusedChunks();
    ++firstId_;
  } else {
    const std::uint64_t chunk = reserve(length);
    Chunk& into = chunks_[chunk - firstChunk_];
    std::uint8_t* dest = into.bytes.get() + into.used;
    if (!text.empty()) std::memcpy(dest, text.data(), text.size());
    if (!wire.empty()) std::memcpy(dest + text.size(), wire.data(), wire.size());
    records_.push_back(Record{
        std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count(),
        chunk, static_cast<std::uint32_t>(into.used), static_cast<std::uint32_t>(text.size()),
        static_cast<std::uint32_t>(wire.size()), kind, wireIsText});
    into.used += length;
    usage_ += sizeof(Record);
    while (usage_ > limit_ && !records_.empty()) {
      dropOldest();
      freeUnusedChunks();
    }
  }
  if (observer_) observer_();
}

std::uint64_t HistoryStore::reserve(std::size_t length) {
  if (!chunks_.empty() && chunks_.back().size - chunks_.back().used >= length) {
    return firstChunk_ + chunks_.size() - 1;
  }
  Chunk chunk;
  if (spare_.bytes && length <= spare_.size) {
    chunk = std::move(spare_);
    chunk.used = 0;
  } else {
    chunk.size = std::max(length, chunkSize_);
    chunk.bytes.reset(allocate(chunk.size));
    if (!chunk.bytes) throw std::bad_alloc();
    usage_ += chunk.size + kChunkOverhead;
  }
  chunks_.push_back(std::move(chunk));
  return firstChunk_ + chunks_.size() - 1;
}

void HistoryStore::dropOldest() {
  records_.pop_front();
  usage_ -= sizeof(Record);
  ++firstId_;
}

// Frees the oldest chunks that no kept entry uses; the newest stays while entries are kept.
void HistoryStore::freeUnusedChunks() {
  const std::uint64_t needed = records_.empty() ? firstChunk_ + chunks_.size()
                                                : records_.front().chunk;
  while (!chunks_.empty() && firstChunk_ < needed) {
    Chunk& front = chunks_.front();
    if (front.size == chunkSize_ && !spare_.bytes && !records_.empty()) {
      spare_ = std::move(front);  // still counted: it stays held
    } else {
      usage_ -= front.size + kChunkOverhead;
    }
    chunks_.pop_front();
    ++firstChunk_;
  }
}

HistoryEntry HistoryStore::entry(std::uint64_t id) const {
  const Record& record = records_.at(id - firstId_);
  const std::uint8_t* bytes = chunks_[record.chunk - firstChunk_].bytes.get() + record.offset;
  HistoryEntry out;
  out.kind = record.kind;
  out.ms = record.ms;
  out.text = std::string_view(reinterpret_cast<const char*>(bytes), record.textLength);
  out.wire = record.wireIsText
                 ? std::span<const std::uint8_t>(bytes, record.textLength)
                 : std::span<const std::uint8_t>(bytes + record.textLength, record.wireLength);
  return out;
}

}  // namespace zt
