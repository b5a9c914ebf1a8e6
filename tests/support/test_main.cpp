// The main() of every test program: the thread that runs the tests is made the main thread
// (RunLoop::createMain()) before any test runs, as the application's own main() does.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/runloop/run_loop.h"

int main(int argc, char** argv) {
  if (const auto failure = zt::RunLoop::createMain()) {
    (void)std::fprintf(stderr, "%s\n", failure.message().c_str());
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
