#include "settings/glb_param.h"

#include <mutex>
#include <utility>

#include "cipher/wipe.h"
#include "settings/db_process.h"

namespace zt {
namespace {

std::mutex& InstanceMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unique_ptr<GlbParam>& InstanceSlot() {
  static std::unique_ptr<GlbParam> slot;
  return slot;
}

// The key's characters are overwritten before their storage goes.
void WipeKeyText(std::optional<std::string>& key) {
  if (key) Wipe(key->data(), key->size());
}

}  // namespace

GlbParam& GlbParam::instance() {
  std::lock_guard lock(InstanceMutex());
  auto& slot = InstanceSlot();
  if (!slot) slot.reset(new GlbParam());
  return *slot;
}

void GlbParam::ReleaseResource() {
  std::unique_ptr<GlbParam> gone;
  {
    std::lock_guard lock(InstanceMutex());
    gone = std::move(InstanceSlot());
  }
}

GlbParam::GlbParam() = default;

// The accessory list is emptied first; then the option store goes (closing its connection if
// the shell has not), and the remaining fields after it.
GlbParam::~GlbParam() {
  accessoryList_.clear();
  dbProcess_.reset();
  WipeKeyText(quorvelKey_);
}

void GlbParam::setLargeData_LineCharacter(std::string line) { lineCharacter_ = std::move(line); }

void GlbParam::setQuorvelKey(std::optional<std::string> key) {
  WipeKeyText(quorvelKey_);
  quorvelKey_ = std::move(key);
}

void GlbParam::setDbProcess(std::unique_ptr<DBProcess> store) { dbProcess_ = std::move(store); }

}  // namespace zt
