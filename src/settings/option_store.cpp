#include "settings/option_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "settings/db_process.h"
#include "settings/glb_param.h"

namespace zt {
namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

// Creates `folder` and its missing parents, each with kFolderMode; true when it is a folder
// afterwards.
bool MakeFolders(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !MakeFolders(parent)) return false;
  if (::mkdir(folder.c_str(), kFolderMode) == 0) return true;
  return errno == EEXIST && std::filesystem::is_directory(folder, error);
}

// Creates an empty file at `file` unless something is already there.
bool MakeFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
  if (fd < 0) return errno == EEXIST;
  return ::close(fd) == 0;
}

}  // namespace

std::filesystem::path OptionDatabasePath(const std::filesystem::path& documentsDir) {
  return documentsDir / "ZemraDemo" / "ZemraDemo.db";
}

bool StartOptionStore(GlbParam& param, const std::filesystem::path& documentsDir) {
  if (param.dbProcess() == nullptr) param.setDbProcess(std::make_unique<DBProcess>());
  DBProcess& store = *param.dbProcess();
  const std::filesystem::path file = OptionDatabasePath(documentsDir);
  const bool prepared = MakeFolders(file.parent_path()) && MakeFile(file);
  const bool opened = prepared && store.OpenDB(file.string());
  const bool created = opened && store.CreateAllTables();
  return created && store.ReadAppOption(param);
}

}  // namespace zt
