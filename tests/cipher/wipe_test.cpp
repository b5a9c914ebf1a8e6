// Wiped bytes are zero once they end. Checked on storage the test owns (memory already freed
// cannot be read), through volatile reads, which the compiler must make even where it takes the
// storage of an ended object for garbage.
#include "cipher/wipe.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>

namespace zt {
namespace {

TEST(Wipe, WipedBytesAreZeroWhenTheyEnd) {
  alignas(WipedBytes<50>) unsigned char storage[sizeof(WipedBytes<50>)] = {};
  auto* bytes = new (storage) WipedBytes<50>();
  bytes->fill(0xa5);
  const volatile unsigned char* seen = storage;
  std::size_t marked = 0;
  for (std::size_t i = 0; i < sizeof storage; ++i) marked += seen[i] == 0xa5 ? 1 : 0;
  ASSERT_EQ(marked, 50u);
  bytes->~WipedBytes();
  std::size_t left = 0;
  for (std::size_t i = 0; i < sizeof storage; ++i) left += seen[i] != 0 ? 1 : 0;
  EXPECT_EQ(left, 0u);
}

}  // namespace
}  // namespace zt
