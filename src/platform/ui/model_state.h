// Bookkeeping shared by every part of the widget model: the main-thread check of its entry
// points and the change counter that tells a renderer to redraw (modelGeneration() in
// display_list.h reads it).
//
// Main thread only, except that the counter may be read from anywhere.
#pragma once

#include <cassert>

#include "platform/runloop/run_loop.h"

namespace zt {

// Debug builds stop here when the model is used off the main thread (the thread that called
// RunLoop::createMain()), or before there is a main thread.
inline void assertMainThread() {
  assert(RunLoop::main().isLoopThread() && "widget model used off the main thread");
}

// Records that something visible changed.
void noteModelChange();

}  // namespace zt
