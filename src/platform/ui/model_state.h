// Bookkeeping shared by every part of the widget model: the main-thread check of its entry
// points, the change counter that tells a renderer what it last drew is stale
// (modelGeneration() in display_list.h reads it), and the handler through which a renderer
// hears of a change at once instead of polling the counter.
//
// Main thread only, except that the counter may be read from anywhere.
#pragma once

#include <cassert>
#include <functional>

#include "platform/runloop/run_loop.h"

namespace zt {

// Debug builds stop here when the model is used off the main thread (the thread that called
// RunLoop::createMain()), or before there is a main thread.
inline void assertMainThread() {
  assert(RunLoop::main().isLoopThread() && "widget model used off the main thread");
}

// Records that something visible changed and calls the change handler, if one is set.
void noteModelChange();

// Sets the one change handler (an empty function removes it). It is called in the middle of
// the change, so it must not read or change the model: it only asks for a frame.
void setModelChangeHandler(std::function<void()> handler);

}  // namespace zt
