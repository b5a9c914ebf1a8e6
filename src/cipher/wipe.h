// Wiping of key material and plaintext: storage that is overwritten with zeros before it is
// released, by a store the compiler may not drop as dead (explicit_bzero), so that keys, subkeys
// and enciphered text do not linger in freed memory.
//
// WipedBytes<N>: a byte array that wipes itself when it ends; it stands wherever a std::array of
// bytes does (spans, comparisons). WipingAllocator<T>: an allocator that wipes what it frees,
// for heap objects such as a subkey table (std::allocate_shared). Wipe(): the zeroing alone.
// Any thread; each object belongs to its owner.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace zt {

void Wipe(void* data, std::size_t size) noexcept;

template <std::size_t N>
struct WipedBytes : std::array<std::uint8_t, N> {
  WipedBytes() = default;
  WipedBytes(const WipedBytes&) = default;
  WipedBytes(WipedBytes&&) noexcept = default;
  WipedBytes& operator=(const WipedBytes&) = default;
  WipedBytes& operator=(WipedBytes&&) noexcept = default;
  ~WipedBytes() { Wipe(this->data(), N); }
};

template <typename T>
struct WipingAllocator {
  using value_type = T;

  WipingAllocator() = default;
  template <typename U>
  explicit WipingAllocator(const WipingAllocator<U>& /*other*/) noexcept {}

  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n) noexcept {
    Wipe(p, n * sizeof(T));
    std::allocator<T>().deallocate(p, n);
  }
  template <typename U>
  bool operator==(const WipingAllocator<U>& /*other*/) const noexcept {
    return true;
  }
};

}  // namespace zt
