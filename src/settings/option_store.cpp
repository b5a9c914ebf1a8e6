#include "settings/option_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "settings/glb_param.h"

namespace zt {
namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

// "PATH: the system's text for `error`"; false, for the callers to return.
bool SystemFailure(const std::filesystem::path& path, int error, std::string& reason) {
  reason = path.string() + ": " + std::generic_category().message(error);
  return false;
}

// Creates `folder` and its missing parents, each with kFolderMode; true when it is a folder
// afterwards.
bool MakeFolders(const std::filesystem::path& folder, std::string& reason) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !MakeFolders(parent, reason)) return false;
  if (::mkdir(folder.c_str(), kFolderMode) == 0) return true;
  if (errno != EEXIST) return SystemFailure(folder, errno, reason);
  // Something else than a folder already has the name.
  return std::filesystem::is_directory(folder, error) || SystemFailure(folder, ENOTDIR, reason);
}

// Creates an empty file at `file` unless something is already there.
bool MakeFile(const std::filesystem::path& file, std::string& reason) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
  if (fd < 0) return errno == EEXIST || SystemFailure(file, errno, reason);
  return ::close(fd) == 0 || SystemFailure(file, errno, reason);
}

}  // namespace

std::filesystem::path OptionDatabasePath(const std::filesystem::path& documentsDir) {
  return documentsDir / "ZemraDemo" / "ZemraDemo.db";
}

// A store that failed to start stays closed: what the person was told (that nothing will be
// remembered) holds, and a damaged file is never written to.
bool StartOptionStore(GlbParam& param, const std::filesystem::path& documentsDir,
                      OptionStoreFailure* failure) {
  if (param.dbProcess() == nullptr) param.setDbProcess(std::make_unique<DBProcess>());
  DBProcess& store = *param.dbProcess();
  const std::filesystem::path file = OptionDatabasePath(documentsDir);
  OptionStoreFailure why{OptionFailure::Save, ""};
  if (MakeFolders(file.parent_path(), why.reason) && MakeFile(file, why.reason)) {
    if (store.OpenDB(file.string()) && store.CreateAllTables() && store.ReadAppOption(param)) {
      return true;
    }
    why = {store.lastFailure(), store.lastError()};
  }
  store.CloseDB();
  if (failure != nullptr) *failure = why;
  return false;
}

}  // namespace zt
