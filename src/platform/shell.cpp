#include "platform/shell.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file.h"

namespace fs = std::filesystem;

namespace {

// The paths of a list that ends with an empty entry, resolved onto the disk.
std::vector<std::string> ResolveList(const char* list) {
  std::vector<std::string> paths;
  if (!list) return paths;
  for (const char* p = list; *p; p += std::char_traits<char>::length(p) + 1) paths.push_back(ResolvePath(p));
  return paths;
}

// Results of a failed operation: a source that does not exist, lists or an operation that
// cannot be done, a destination that cannot be written.
constexpr int kNoSuchSource = 0x7C;
constexpr int kBadOperation = 0x78;
constexpr int kCannotWrite = 0x75;

int Copy(const std::vector<std::string>& from, const std::vector<std::string>& to, bool multiDest) {
  if (from.empty() || to.empty() || (multiDest && to.size() < from.size())) return kBadOperation;
  for (size_t i = 0; i < from.size(); ++i) {
    std::error_code ec;
    if (!fs::exists(from[i], ec)) return kNoSuchSource;
    fs::path dst = multiDest ? fs::path(to[i]) : fs::path(to[0]) / fs::path(from[i]).filename();
    // A destination named with a trailing separator names the folder itself.
    if (!dst.has_filename()) dst = dst.parent_path();
    if (fs::is_directory(from[i], ec)) {
      fs::create_directories(dst, ec);
      if (ec) return kCannotWrite;
    }
    fs::copy(from[i], dst, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) return kCannotWrite;
  }
  return 0;
}

int Delete(const std::vector<std::string>& from) {
  if (from.empty()) return kBadOperation;
  int result = 0;
  for (const std::string& path : from) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) {
      result = kNoSuchSource;
      continue;
    }
    fs::remove_all(path, ec);
    if (ec) result = kCannotWrite;
  }
  return result;
}

}  // namespace

int SHFileOperationA(SHFILEOPSTRUCTA* lpFileOp) {
  if (!lpFileOp) return kBadOperation;
  lpFileOp->fAnyOperationsAborted = FALSE;
  const std::vector<std::string> from = ResolveList(lpFileOp->pFrom);
  switch (lpFileOp->wFunc) {
    case FO_COPY:
      return Copy(from, ResolveList(lpFileOp->pTo), (lpFileOp->fFlags & FOF_MULTIDESTFILES) != 0);
    case FO_DELETE:
      return Delete(from);
    default:
      return kBadOperation;
  }
}
