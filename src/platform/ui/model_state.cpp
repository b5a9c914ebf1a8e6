#include "platform/ui/model_state.h"

#include <atomic>

#include "platform/ui/display_list.h"

namespace zt {

namespace {
std::atomic<std::uint64_t> generation{0};
}  // namespace

void noteModelChange() { generation.fetch_add(1, std::memory_order_relaxed); }

std::uint64_t modelGeneration() { return generation.load(std::memory_order_relaxed); }

}  // namespace zt
