#include "transfer/history/history_store.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

namespace zt {

namespace {

// What a chunk costs beside its bytes: its bookkeeping and the allocator's header.
constexpr std::uint64_t kChunkOverhead = sizeof(void*) * 6;
// A huge page: chunks of this size and alignment may be backed by one.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

// A chunk of a whole number of huge pages is mapped on its own, aligned to one and advised as
// huge pages; a smaller one comes from the heap.
HistoryStore::Chunk::Chunk(std::size_t size) : size_(size), mapped_(size % kHugePage == 0) {
  if (!mapped_) {
    bytes_ = static_cast<std::uint8_t*>(std::malloc(size));
    if (bytes_ == nullptr) throw std::bad_alloc();
    return;
  }
  void* area = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) throw std::bad_alloc();
  auto* const base = static_cast<std::uint8_t*>(area);
  const std::size_t shift =
      (kHugePage - reinterpret_cast<std::uintptr_t>(area) % kHugePage) % kHugePage;
  bytes_ = base + shift;
  // Unmapping the unaligned ends of a mapping just made cannot fail.
  if (shift > 0) static_cast<void>(::munmap(base, shift));
  static_cast<void>(::munmap(bytes_ + size, kHugePage - shift));
  // Only advice: without huge pages the chunk works as well, with more page faults.
  static_cast<void>(::madvise(bytes_, size, MADV_HUGEPAGE));
}

HistoryStore::Chunk& HistoryStore::Chunk::operator=(Chunk&& other) noexcept {
  if (this == &other) return *this;
  release();
  bytes_ = std::exchange(other.bytes_, nullptr);
  size_ = std::exchange(other.size_, 0);
  used = std::exchange(other.used, 0);
  mapped_ = other.mapped_;
  return *this;
}

void HistoryStore::Chunk::touch() {
  constexpr std::size_t kPage = 4096;  // the smallest page: touching more often does no harm
  for (std::size_t at = 0; at < size_; at += kPage) bytes_[at] = 0;
}

void HistoryStore::Chunk::release() {
  if (bytes_ == nullptr) return;
  if (mapped_) {
    static_cast<void>(::munmap(bytes_, size_));  // a mapping of our own: cannot fail
  } else {
    std::free(bytes_);
  }
  bytes_ = nullptr;
}

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
    std::uint8_t* dest = into.bytes() + into.used;
    if (!text.empty()) std::memcpy(dest, text.data(), text.size());
    if (!wire.empty()) std::memcpy(dest + text.size(), wire.data(), wire.size());
    records_.push_back(Record{
        std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count(),
        chunk, static_cast<std::uint32_t>(into.used), static_cast<std::uint32_t>(text.size()),
        static_cast<std::uint32_t>(wire.size()), kind, wireIsText});
    into.used += length;
    usage_ += sizeof(Record);
    prepareNextChunk();
    while (usage_ > limit_ && !records_.empty()) {
      dropOldest();
      freeUnusedChunks();
    }
  }
  if (observer_) observer_();
}

std::uint64_t HistoryStore::reserve(std::size_t length) {
  if (!chunks_.empty() && chunks_.back().size() - chunks_.back().used >= length) {
    return firstChunk_ + chunks_.size() - 1;
  }
  if (spare_.bytes() != nullptr && length <= spare_.size()) {
    chunks_.push_back(std::move(spare_));
  } else if (next_.valid() && length <= chunkSize_) {
    chunks_.push_back(next_.get());
  } else {
    chunks_.emplace_back(std::max(length, chunkSize_));
    usage_ += chunks_.back().size() + kChunkOverhead;
  }
  return firstChunk_ + chunks_.size() - 1;
}

void HistoryStore::prepareNextChunk() {
  if (next_.valid() || spare_.bytes() != nullptr || chunks_.empty()) return;
  const Chunk& newest = chunks_.back();
  if (!newest.mapped() || newest.size() != chunkSize_ || newest.used < chunkSize_ / 4 ||
      usage_ + chunkSize_ + kChunkOverhead > limit_) {
    return;
  }
  try {
    next_ = std::async(std::launch::async, [size = chunkSize_] {
      Chunk chunk(size);
      chunk.touch();
      return chunk;
    });
  } catch (const std::system_error&) {
    return;  // no thread to be had: the chunk is made when it is needed
  }
  usage_ += chunkSize_ + kChunkOverhead;
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
    if (front.size() == chunkSize_ && spare_.bytes() == nullptr && !records_.empty()) {
      spare_ = std::move(front);  // still counted: it stays held
      spare_.used = 0;
    } else {
      usage_ -= front.size() + kChunkOverhead;
    }
    chunks_.pop_front();
    ++firstChunk_;
  }
}

HistoryEntry HistoryStore::entry(std::uint64_t id) const {
  const Record& record = records_.at(id - firstId_);
  const std::uint8_t* bytes = chunks_[record.chunk - firstChunk_].bytes() + record.offset;
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
