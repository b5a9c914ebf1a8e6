// The main() of every test program: the thread that runs the tests is made the main thread
// (RunLoop::createMain()) before any test runs, as the application's own main() does.
#include <gtest/gtest.h>

#include "platform/runloop/run_loop.h"

int main(int argc, char** argv) {
  zt::RunLoop::createMain();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
