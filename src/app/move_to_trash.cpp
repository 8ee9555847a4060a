#include "app/move_to_trash.h"

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <string>

#include "app/atomic_file.h"

namespace {

// Puts `name` (bytes, percent-encoded as the trash's records are) in place
// of the last part of the "Path=" line of a trash record, which follows its
// "[Trash Info]" line.
bool RestoreName(const std::filesystem::path& record, const std::string& name) {
  const QByteArray encoded = QByteArray::fromStdString(name).toPercentEncoding();
  return RewriteFileAtomically(
      record, [&](const std::optional<std::string>& old, std::string& out) {
        const std::size_t line = old ? old->find("\nPath=") : std::string::npos;
        if (line == std::string::npos) return false;
        const std::size_t value = line + 6;
        const std::size_t end = std::min(old->find('\n', value), old->size());
        const std::size_t slash = old->rfind('/', end);
        const std::size_t start = slash == std::string::npos || slash < value ? value : slash + 1;
        out = old->substr(0, start) + encoded.toStdString() + old->substr(end);
        return true;
      });
}

}  // namespace

bool MoveToTrash(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  if (access(folder.c_str(), W_OK) != 0) return false;
  const QString text = QFile::decodeName(file.c_str());
  if (QFile::encodeName(text).toStdString() == file.native()) return QFile::moveToTrash(text);

  // Qt would trash the file whose name reads alike: the file goes under a
  // plain name of its own first.
  static std::atomic<int> counter{0};
  const std::filesystem::path plain =
      folder / (".kestrel-trash-" + std::to_string(getpid()) + "-" + std::to_string(++counter) +
                file.extension().string());
  std::error_code error;
  if (std::filesystem::exists(plain, error) || error) return false;
  std::filesystem::rename(file, plain, error);
  if (error) return false;
  QString inTrash;
  if (!QFile::moveToTrash(QFile::decodeName(plain.c_str()), &inTrash)) {
    std::filesystem::rename(plain, file, error);
    return false;
  }
  // Trash/files/NAME is described by Trash/info/NAME.trashinfo.
  const std::filesystem::path trashed = QFile::encodeName(inTrash).toStdString();
  const std::filesystem::path record =
      trashed.parent_path().parent_path() / "info" / (trashed.filename().native() + ".trashinfo");
  RestoreName(record, file.filename().native());
  return true;
}
