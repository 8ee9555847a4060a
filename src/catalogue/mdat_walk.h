#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Walking the media of a recording that lost its index: the samples are
// found in the bytes themselves, with the sample descriptions and the
// interleave of a healthy recording of the same recorder.

enum class TrackKind { kPicture, kSound };

// What the walk takes from the healthy recording (the reference).
struct WalkPlan {
  std::vector<TrackKind> tracks;        // the reference's tracks in order
  std::vector<std::uint8_t> avcC;       // the pictures' decoder configuration
  int nalLengthSize = 4;                // bytes of a NAL unit's length prefix
  int slicesPerPicture = 0;             // as in every picture of the reference; 0 when it varies
  std::vector<std::uint8_t> aacConfig;  // the sound's AudioSpecificConfig
  int channels = 1;
  // The reference's chunks in file order: a track and its sample count.
  struct Chunk {
    std::size_t track = 0;
    std::uint32_t samples = 0;
  };
  std::vector<Chunk> chunks;
};

struct WalkedSample {
  std::uint64_t offset = 0;  // from the start of the walked bytes
  std::uint32_t size = 0;
  bool key = false;  // a picture that starts a group (an IDR picture)
  int order = 0;     // a picture's order count (POC) within its group
};

struct WalkedChunk {
  std::size_t track = 0;
  std::uint64_t offset = 0;
  std::uint32_t samples = 0;
};

struct MdatWalk {
  std::vector<std::vector<WalkedSample>> samples;  // per track
  std::vector<WalkedChunk> chunks;                 // in file order; the last may be short
  std::uint64_t end = 0;                           // past the last whole sample
  bool outranPlan = false;  // the bytes go on past the reference's interleave
  // The media end inside the sample after the last whole one (or right
  // after it): no bytes that are no sample follow, so every sample walked
  // holds the recorder's own bytes.
  bool endsInSample = false;
};

// Reads the media through a callback: up to `out.size()` bytes at `offset`
// of the walked range; returns the count (fewer only at its end) or -1.
using MediaReader = std::function<long long(std::uint64_t offset, std::span<std::uint8_t> out)>;

// Walks `length` bytes of media following the plan's chunks: a picture is
// its NAL units, each after its length prefix, up to the slices that make
// it whole; a sound frame is as long as the AAC decoder reads to decode it.
// Stops at the first sample that the bytes do not hold whole (the cut, or
// bytes that are no sample). False with the reason when the walk cannot
// start (the decoders refuse the configuration), or when `running` is
// cleared.
bool WalkMedia(const MediaReader& read, std::uint64_t length, const WalkPlan& plan, MdatWalk& walk,
               std::string& why, const std::atomic<bool>* running = nullptr);

// The first picture of the media, when the bytes hold it whole.
std::optional<WalkedSample> FirstPicture(const MediaReader& read, std::uint64_t length,
                                         const WalkPlan& plan);

// How many of `pictures` (a group from its IDR picture on, in decoding
// order) the H.264 decoder decodes one after another without an error: a
// picture cut short whose missing bytes the media happen to go on with
// (bytes written after the cut) stops it.
std::size_t PicturesDecoding(const MediaReader& read, const std::vector<WalkedSample>& pictures,
                             const WalkPlan& plan);

// True when the H.264 decoder decodes `picture` (length-prefixed NAL units)
// without an error under the plan's configuration: a reference of another
// picture size or codec fails it.
bool PictureDecodes(std::span<const std::uint8_t> picture, const WalkPlan& plan);
