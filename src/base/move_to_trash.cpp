#include "base/move_to_trash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <optional>
#include <string>

#include "base/atomic_file.h"

namespace {

// Whether Qt, which reads a path's bytes as UTF-8, gives back the same bytes.
bool QtCanSpell(const std::filesystem::path& path) {
  return QFile::encodeName(QFile::decodeName(path.c_str())).toStdString() == path.native();
}

std::optional<dev_t> DeviceOf(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

// The nearest folder from `folder` up whose path Qt can spell, on the same
// file system and writable; nothing when there is none.
std::optional<std::filesystem::path> SpelledHolder(std::filesystem::path folder) {
  const std::optional<dev_t> device = DeviceOf(folder);
  for (; device; folder = folder.parent_path()) {
    if (DeviceOf(folder) != device) return std::nullopt;
    if (QtCanSpell(folder) && access(folder.c_str(), W_OK) == 0) return folder;
    if (folder == folder.root_path()) break;
  }
  return std::nullopt;
}

// Gives the "Path=" line of a trash record, which follows its "[Trash Info]"
// line, the path `original` (its bytes percent-encoded, as the records
// keep them).
bool RestorePath(const std::filesystem::path& record, const std::filesystem::path& original) {
  const QByteArray encoded = QByteArray::fromStdString(original.native()).toPercentEncoding("/");
  return RewriteFileAtomically(
      record, [&](const std::optional<std::string>& old, std::string& out) {
        const std::size_t line = old ? old->find("\nPath=") : std::string::npos;
        if (line == std::string::npos) return false;
        const std::size_t value = line + 6;
        const std::size_t end = std::min(old->find('\n', value), old->size());
        out = old->substr(0, value) + encoded.toStdString() + old->substr(end);
        return true;
      });
}

}  // namespace

bool MoveToTrash(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(file, error);
  if (error) return false;
  const std::filesystem::path folder = absolute.parent_path();
  if (access(folder.c_str(), W_OK) != 0) return false;
  if (QtCanSpell(absolute)) return QFile::moveToTrash(QFile::decodeName(absolute.c_str()));

  // Qt would trash the file whose path reads alike: the file first goes, on
  // the same file system, under a plain name in a folder Qt can spell.
  const std::optional<std::filesystem::path> holder = SpelledHolder(folder);
  if (!holder) return false;
  static std::atomic<int> counter{0};
  const std::filesystem::path plain =
      *holder / (".kestrel-trash-" + std::to_string(getpid()) + "-" + std::to_string(++counter) +
                 absolute.extension().string());
  if (std::filesystem::exists(plain, error) || error) return false;
  std::filesystem::rename(absolute, plain, error);
  if (error) return false;
  QString inTrash;
  if (!QFile::moveToTrash(QFile::decodeName(plain.c_str()), &inTrash)) {
    std::filesystem::rename(plain, absolute, error);
    return false;
  }
  // Trash/files/NAME is described by Trash/info/NAME.trashinfo.
  const std::filesystem::path trashed = QFile::encodeName(inTrash).toStdString();
  RestorePath(
      trashed.parent_path().parent_path() / "info" / (trashed.filename().native() + ".trashinfo"),
      absolute);
  return true;
}
