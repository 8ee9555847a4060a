#include "catalogue/join_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "catalogue/output_file.h"
#include "catalogue/recording_check.h"
#include "container/posix_io.h"
#include "container/sensor_records.h"

namespace {

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::size_t kCopyBlock = 1 << 20;

std::uint64_t TotalRecords(const AtomNode& udat) {
  std::uint64_t total = udat.recordCount;
  for (const AtomNode* node = udat.joinedHead; node != nullptr; node = node->joinedNext) {
    total += node->recordCount;
  }
  return total;
}

// The size of the atom as written, header included.
std::uint64_t WrittenSize(const AtomNode& node) {
  const std::string_view name = node.Name();
  if (name == "mdat") {
    std::uint64_t size = kHeaderSize + node.readSize;
    for (const AtomNode* next = node.joinedHead; next != nullptr; next = next->joinedNext) {
      size += next->readSize - 8;
    }
    return size;
  }
  if (name == "udat") {
    return kHeaderSize + kSensorRecordsOffset + kSensorRecordSize * TotalRecords(node) + 6;
  }
  if (node.ContentInFile()) return kHeaderSize + node.readSize;
  if (!node.data.empty() || node.children.empty()) return kHeaderSize + node.data.size();
  std::uint64_t size = kHeaderSize;
  for (const AtomNode& child : node.children) size += WrittenSize(child);
  return size;
}

bool AnyTooLarge(const AtomNode& node) {
  if (WrittenSize(node) > UINT32_MAX) return true;
  if (!node.data.empty()) return false;
  for (const AtomNode& child : node.children) {
    if (AnyTooLarge(child)) return true;
  }
  return false;
}

// Buffered output to a file descriptor, with streaming copies from sources.
class Output {
 public:
  Output(int fd, const std::atomic<bool>* running, const WriteProgress& progress, bool mediaInPlace)
      : fd_(fd), running_(running), progress_(progress), mediaInPlace_(mediaInPlace) {
    buffer_.reserve(kCopyBlock);
  }

  bool Write(const void* bytes, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    if (buffer_.size() + length > kCopyBlock && !Flush()) return false;
    if (length >= kCopyBlock) return WriteAll(p, length);
    buffer_.insert(buffer_.end(), p, p + length);
    return true;
  }

  bool WriteHeader(std::uint64_t size, std::string_view name) {
    const std::uint8_t header[8] = {
        static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
        static_cast<std::uint8_t>(size >> 8),  static_cast<std::uint8_t>(size),
        static_cast<std::uint8_t>(name[0]),    static_cast<std::uint8_t>(name[1]),
        static_cast<std::uint8_t>(name[2]),    static_cast<std::uint8_t>(name[3])};
    return Write(header, sizeof header);
  }

  // Copies `length` bytes at `offset` of the file at `path`; the source is
  // opened for the copy and closed after it. Fails when the source is
  // shorter than that (a file cut or removed meanwhile).
  bool CopyFrom(const std::filesystem::path& path, std::uint64_t offset, std::uint64_t length,
                std::string& why) {
    const int source = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
      why = "cannot open " + path.string() + ": " + std::strerror(errno);
      return false;
    }
    bool ok = Flush();
    std::vector<std::uint8_t> block(kCopyBlock);
    while (ok && length > 0) {
      if (running_ != nullptr && !running_->load()) {
        cancelled_ = true;
        why = "cancelled";
        ok = false;
        break;
      }
      const std::size_t want =
          static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBlock));
      const ssize_t got = ReadAt(source, std::span(block.data(), want), offset);
      if (got <= 0) {
        why = "cannot read " + path.string() +
              (got < 0 ? std::string(": ") + std::strerror(errno)
                       : std::string(": it is shorter than its atoms say"));
        ok = false;
        break;
      }
      ok = WriteAll(block.data(), static_cast<std::size_t>(got));
      offset += static_cast<std::uint64_t>(got);
      length -= static_cast<std::uint64_t>(got);
      if (ok && progress_) progress_(written_);
    }
    close(source);
    if (!ok && why.empty()) why = error_;
    return ok;
  }

  bool Flush() {
    const bool ok = WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
  }

  // Passes over `length` bytes that the file already holds.
  bool Skip(std::uint64_t length) {
    if (!Flush()) return false;
    if (lseek(fd_, static_cast<off_t>(length), SEEK_CUR) >= 0) return true;
    error_ = std::string("cannot write the output: ") + std::strerror(errno);
    return false;
  }

  // True when the media content already lies at its place in the file.
  bool mediaInPlace() const { return mediaInPlace_; }

  const std::string& error() const { return error_; }
  bool cancelled() const { return cancelled_; }

 private:
  bool WriteAll(const std::uint8_t* p, std::size_t length) {
    written_ += length;
    if (::WriteAll(fd_, std::span(p, length))) return true;
    error_ = std::string("cannot write the output: ") + std::strerror(errno);
    return false;
  }

  int fd_;
  const std::atomic<bool>* running_;
  const WriteProgress& progress_;
  bool mediaInPlace_;
  std::uint64_t written_ = 0;
  bool cancelled_ = false;
  std::vector<std::uint8_t> buffer_;
  std::string error_;
};

bool WriteSensorTrack(const AtomNode& udat, Output& out, std::string& why) {
  const std::uint64_t total = TotalRecords(udat);
  const std::uint8_t count[2] = {static_cast<std::uint8_t>(total >> 8),
                                 static_cast<std::uint8_t>(total)};
  if (!out.Write("CSMDAT", 6) ||
      !out.CopyFrom(*udat.sourcePath, udat.readOffset + kSensorHeaderOffset, 26, why) ||
      !out.Write(count, sizeof count) ||
      !out.CopyFrom(*udat.sourcePath, udat.readOffset + kSensorRecordsOffset, udat.recordBytes,
                    why)) {
    return false;
  }
  for (const AtomNode* node = udat.joinedHead; node != nullptr; node = node->joinedNext) {
    if (!out.CopyFrom(*node->sourcePath, node->readOffset + kSensorRecordsOffset, node->recordBytes,
                      why)) {
      return false;
    }
  }
  return out.Write("CSMEND", 6);
}

bool WriteMedia(const AtomNode& mdat, Output& out, std::string& why) {
  if (out.mediaInPlace()) return out.Skip(WrittenSize(mdat) - kHeaderSize);
  if (!out.CopyFrom(*mdat.sourcePath, mdat.readOffset, mdat.readSize, why)) return false;
  for (const AtomNode* node = mdat.joinedHead; node != nullptr; node = node->joinedNext) {
    if (!out.CopyFrom(*node->sourcePath, node->readOffset + 8, node->readSize - 8, why))
      return false;
  }
  return true;
}

bool WriteNode(const AtomNode& node, Output& out, std::string& why) {
  if (node.depth > 0 && !out.WriteHeader(WrittenSize(node), node.Name())) return false;
  const std::string_view name = node.Name();
  if (node.depth > 0 && name == "mdat") return WriteMedia(node, out, why);
  if (node.depth > 0 && name == "udat") return WriteSensorTrack(node, out, why);
  if (node.ContentInFile())
    return out.CopyFrom(*node.sourcePath, node.readOffset, node.readSize, why);
  if (!node.data.empty()) return out.Write(node.data.data(), node.data.size());
  for (const AtomNode& child : node.children) {
    if (!WriteNode(child, out, why)) return false;
  }
  return true;
}

// Puts a written movie in place, when the viewer would list it: an output
// it would not list is no recording.
bool CommitRecording(OutputFile& file, std::string& why) {
  if (!RecordingSizeOf(file.fd())) {
    why = "the written movie would not end with the recorder's closing marker";
    return false;
  }
  return file.Commit(why);
}

}  // namespace

JoinLimit CheckJoinedTree(const AtomNode& root, const JoinAtoms& atoms) {
  if (TotalRecords(*atoms.udat) > 0xFFFF) return JoinLimit::kTooManyRecords;
  for (const AtomNode& child : root.children) {
    if (AnyTooLarge(child)) return JoinLimit::kSizeOver;
  }
  std::uint64_t position = 0;
  for (const AtomNode& child : root.children) {
    if (&child == atoms.mdat) break;
    position += WrittenSize(child);
  }
  return position + kHeaderSize == atoms.mdat->offset ? JoinLimit::kNone : JoinLimit::kMediaMoved;
}

std::uint64_t JoinedTreeSize(const AtomNode& root) {
  std::uint64_t size = 0;
  for (const AtomNode& child : root.children) size += WrittenSize(child);
  return size;
}

bool WriteJoinedTree(const AtomNode& root, int fd, std::string& why,
                     const std::atomic<bool>* running, bool* cancelled,
                     const WriteProgress& progress, bool mediaInPlace) {
  Output out(fd, running, progress, mediaInPlace);
  if (!WriteNode(root, out, why) || !out.Flush()) {
    if (why.empty()) why = out.error();
    if (cancelled != nullptr) *cancelled = out.cancelled();
    return false;
  }
  return true;
}

bool WriteRecordingTree(const AtomNode& root, const std::filesystem::path& output,
                        const std::atomic<bool>* running, bool& cancelled, std::string& why,
                        const WriteProgress& progress) {
  OutputFile file;
  return file.Create(output, why) &&
         WriteJoinedTree(root, file.fd(), why, running, &cancelled, progress) &&
         CommitRecording(file, why);
}

bool WriteAroundMedia(const AtomNode& root, OutputFile& file, const std::atomic<bool>* running,
                      bool& cancelled, std::string& why) {
  if (lseek(file.fd(), 0, SEEK_SET) != 0 ||
      RetryInterrupted(
          [&] { return ftruncate(file.fd(), static_cast<off_t>(JoinedTreeSize(root))); }) != 0) {
    why = std::string("cannot write the output: ") + std::strerror(errno);
    return false;
  }
  return WriteJoinedTree(root, file.fd(), why, running, &cancelled, {}, true) &&
         CommitRecording(file, why);
}
