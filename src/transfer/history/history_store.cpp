#include "transfer/history/history_store.h"

#include <algorithm>
#include <cstring>

namespace zt {

namespace {

// What a chunk costs beside its bytes: its bookkeeping and the allocator's header.
constexpr std::uint64_t kChunkOverhead = sizeof(void*) * 6;

}  // namespace

HistoryStore::HistoryStore(std::uint64_t limitBytes)
    : limit_(limitBytes),
      chunkSize_(static_cast<std::size_t>(
          std::clamp<std::uint64_t>(limitBytes / 64, 4096, std::uint64_t{1} << 20))) {}

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
  chunk.size = std::max(length, chunkSize_);
  chunk.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(chunk.size);
  usage_ += chunk.size + kChunkOverhead;
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
    usage_ -= chunks_.front().size + kChunkOverhead;
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
