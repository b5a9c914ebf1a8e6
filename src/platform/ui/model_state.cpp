#include "platform/ui/model_state.h"

#include <atomic>
#include <utility>

#include "platform/ui/display_list.h"

namespace zt {

namespace {

std::atomic<std::uint64_t> generation{0};

std::function<void()>& changeHandler() {
  static std::function<void()> handler;
  return handler;
}

}  // namespace

void noteModelChange() {
  generation.fetch_add(1, std::memory_order_relaxed);
  if (const auto& handler = changeHandler()) handler();
}

void setModelChangeHandler(std::function<void()> handler) { changeHandler() = std::move(handler); }

std::uint64_t modelGeneration() { return generation.load(std::memory_order_relaxed); }

}  // namespace zt
