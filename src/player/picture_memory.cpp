#include "player/picture_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kLargePage = 2 << 20;

struct Mapping {
  void* start;
  std::size_t length;
};

void Unmap(gpointer data) {
  const auto* mapping = static_cast<Mapping*>(data);
  munmap(mapping->start, mapping->length);
  delete mapping;
}

// `length` bytes of fresh memory from a large-page boundary, marked for large
// pages; null when there is no memory.
void* MapLargePages(std::size_t length) {
  void* mapped = mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
  // The slack on either side goes back.
  if (aligned > start) munmap(mapped, aligned - start);
  const std::uintptr_t end = start + length + kLargePage;
  if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

}  // namespace

std::size_t CopiedBytes(std::size_t size) {
  return size < kLargePage ? size : (size + kLargePage - 1) / kLargePage * kLargePage;
}

GstBuffer* CopyPixels(GstBuffer* source) {
  const gsize size = gst_buffer_get_size(source);
  const std::size_t length = CopiedBytes(size);
  void* memory = size >= kLargePage ? MapLargePages(length) : nullptr;
  if (memory == nullptr) return gst_buffer_copy_deep(source);
  gst_buffer_extract(source, 0, memory, size);
  GstBuffer* copy = gst_buffer_new_wrapped_full(static_cast<GstMemoryFlags>(0), memory, length, 0,
                                                size, new Mapping{memory, length}, Unmap);
  // The timestamps and the picture's layout (its planes' strides).
  gst_buffer_copy_into(copy, source, GST_BUFFER_COPY_METADATA, 0, static_cast<gsize>(-1));
  return copy;
}
