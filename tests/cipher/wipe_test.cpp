// Wiped bytes are zero once they end. Checked on storage the test owns: memory already freed
// cannot be read.
#include "cipher/wipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace zt {
namespace {

TEST(Wipe, WipedBytesAreZeroWhenTheyEnd) {
  alignas(WipedBytes<50>) unsigned char storage[sizeof(WipedBytes<50>)];
  auto* bytes = new (storage) WipedBytes<50>();
  bytes->fill(0xa5);
  ASSERT_EQ(std::count(std::begin(storage), std::end(storage), 0xa5), 50);
  bytes->~WipedBytes();
  EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage), [](auto b) { return b == 0; }));
}

}  // namespace
}  // namespace zt
