#include "settings/option_store.h"

#include <memory>

#include "settings/glb_param.h"

namespace zt {

std::filesystem::path OptionDatabasePath(const std::filesystem::path& documentsDir) {
  return documentsDir / "ZemraDemo" / "ZemraDemo.db";
}

// A store that failed to start stays closed: what the person was told (that nothing will be
// remembered) holds, and a damaged file is never written to.
bool StartOptionStore(GlbParam& param, const std::filesystem::path& documentsDir) {
  if (param.dbProcess() == nullptr) param.setDbProcess(std::make_unique<DBProcess>());
  DBProcess& store = *param.dbProcess();
  const std::filesystem::path file = OptionDatabasePath(documentsDir);
  if (store.CreateDBFile(file) && store.OpenDB(file.string()) && store.CreateAllTables() &&
      store.ReadAppOption(param)) {
    return true;
  }
  store.CloseDB();
  return false;
}

}  // namespace zt
