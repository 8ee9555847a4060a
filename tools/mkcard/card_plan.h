#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mkcard/drive_model.h"

namespace mkcard {

// The picture's coding: H.264 (libx264) or HEVC (libx265).
enum class VideoCodec { kH264, kHevc };

// The sound track: AAC of one channel (as the generator always wrote), AAC
// of two channels, 16-bit PCM of one channel, or no sound track at all.
enum class SoundKind { kAac, kStereo, kPcm, kNone };

// What the generator is asked to write (the command line's options).
struct CardOptions {
  int folders = 3;   // 100MEDIA, 101MEDIA, ...
  int files = 5;     // recordings per folder
  int seconds = 10;  // length of each recording
  int width = 640;
  int height = 360;
  int fpsNum = 30;  // frame rate fpsNum / fpsDen (30000/1001 for 29.97)
  int fpsDen = 1;
  int gop = 0;  // pictures from one keyframe to the next; 0: one second's worth
  VideoCodec codec = VideoCodec::kH264;
  int bframes = -1;  // B-frames between reference pictures at most; -1: the encoder's own choice
  SoundKind sound = SoundKind::kAac;
  std::uint64_t seed = 1;
  std::string triggers = "AMGPS";  // assigned in card order, cycled
  char quality = 'H';              // 'H' or 'N'
  int records = -1;                // records per recording; -1: ten per second
  int numbered = 0;                // leading recordings of each folder named "NNN_hhmmss_T.MOV"
  bool extras = false;             // the last folder also gets the four odd files below
  bool cutShort = false;           // every recording is written as kCutShort
  bool noCsmend = false;           // every recording is written as kNoCsmend
  bool plain = false;              // every recording is written as kPlainMovie
  bool beep = false;               // each recording starts with a white picture and a beep
  int longerSoundMs = 0;           // the sound runs this long past the pictures
};

enum class FileKind {
  kRecorder,    // a complete recorder file
  kCutShort,    // a recorder file that ends half-way through its mdat (no moov, no udat)
  kNoCsmend,    // a recorder file whose sensor payload lacks the closing "CSMEND"
  kPlainMovie,  // ffmpeg's own QuickTime output: no udat, no closing atom
  kNotMovie,    // a small text file that is not a movie at all
};

// The sensor payload's 26-byte header block as written.
struct HeaderFields {
  std::array<int, 4> numbers{};  // four decimal digits each (the reader takes value / 1000)
  char mode = 'D';               // 'D' while driving, 'M' for parking watch
  std::array<int, 3> version{};  // firmware version, two digits each ("010203")
  char quality = 'H';            // byte 23
  char byte24 = 'N';
  char byte25 = '0';
};

// One file of the card.
struct RecordingPlan {
  std::string path;  // relative to OUTDIR with '/' separators: "DCIM/100MEDIA/0612083000_A.MOV"
  FileKind kind = FileKind::kRecorder;
  char trigger = 'A';  // character 11 of the name
  int cardIndex = 0;   // 0-based order in the card (the barcode carries it mod 256)
  int folder = 0;      // 0 for 100MEDIA
  int seconds = 0;
  int frames = 0;  // video frames: ceil(seconds * fps)
  int fpsNum = 30;
  int fpsDen = 1;
  int gop = 0;  // pictures from one keyframe to the next
  VideoCodec codec = VideoCodec::kH264;
  int bframes = -1;
  SoundKind sound = SoundKind::kAac;
  int width = 0;
  int height = 0;
  int toneHz = 0;         // the sine tone of the sound track
  bool beep = false;      // the tone only sounds for the first 100 ms; the first picture is white
  int longerSoundMs = 0;  // the sound runs this long past the pictures
  LocalClock start;       // local start time (the decoded time of record 0)
  HeaderFields header;
  std::vector<SensorSample> samples;  // the records of the udat payload, in file order
                                      // (none for kCutShort, kPlainMovie and kNotMovie)
};

// Returns every file the generator writes for `options`, in card order (folder
// by folder, each folder in name order), without writing anything.
std::vector<RecordingPlan> PlanCard(const CardOptions& options);

}  // namespace mkcard
