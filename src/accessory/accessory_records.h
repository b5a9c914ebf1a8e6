// The settings object's list of connected accessories (GlbParam::accessoryList): one record per
// accessory the platform reports connected, in the platform's order, each with the default
// protocol string; the records serve only to recognise an accessory when it goes away. The main
// screen rebuilds the list at its load and keeps it up to date; the shell rebuilds it when the
// application comes back to the foreground.
//
// Main thread only.
#pragma once

#include <memory>

#include "settings/accessory_info.h"
#include "settings/glb_param.h"

namespace zt {

// A new record holding `accessory`, with the default protocol string.
std::shared_ptr<AccessoryInfo> AccessoryRecord(std::shared_ptr<EAAccessory> accessory);
// Empties the list and appends a record for each connected accessory.
void RebuildAccessoryList(GlbParam& param);

}  // namespace zt
