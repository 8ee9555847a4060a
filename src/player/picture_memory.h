#pragma once

#include <gst/gst.h>

#include <cstddef>

// Copies of decoded pictures in memory of their own. A large picture goes
// into memory the system may back with large pages: copied into fresh
// memory of small pages, a picture takes a page fault for every 4 kB, and
// on a virtual machine those cost several times the copy itself.
GstBuffer* CopyPixels(GstBuffer* source);
// The bytes a copy of a picture of `size` bytes holds.
std::size_t CopiedBytes(std::size_t size);
