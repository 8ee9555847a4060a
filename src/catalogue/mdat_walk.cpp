#include "catalogue/mdat_walk.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <optional>

namespace {

constexpr std::size_t kReadBlock = 1 << 20;
// Enough for the heads of the NAL units of the first picture, which alone
// is looked at when a reference is tried.
constexpr std::size_t kFirstPictureBlock = 64 << 10;
// An AAC frame holds at most 6144 bits a channel.
constexpr std::size_t kMaxSoundFrameBytes = 768;
// The longest NAL unit taken for one the media end inside: longer, its
// length prefix is rather bytes that are no sample.
constexpr std::uint32_t kMaxNalBytes = 4 << 20;
constexpr int kIdrSlice = 5;
constexpr int kSlice = 1;

// The media seen through one block read ahead at a time.
class Window {
 public:
  Window(const MediaReader& read, std::uint64_t length, std::size_t block = kReadBlock)
      : read_(read), length_(length), block_(block) {}

  // Up to `length` bytes at `offset`, fewer where the media ends.
  std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t length) {
    if (offset >= length_) return {};
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, length_ - offset));
    if (offset < base_ || offset + length > base_ + have_) {
      buffer_.resize(std::max(length, block_));
      const long long got = read_(offset, buffer_);
      if (got < 0) failed_ = true;
      base_ = offset;
      have_ = got < 0 ? 0 : static_cast<std::size_t>(got);
    }
    const std::size_t start = static_cast<std::size_t>(offset - base_);
    return std::span<const std::uint8_t>(buffer_).subspan(start, std::min(length, have_ - start));
  }

  // True when the block at hand holds these bytes.
  bool Holds(std::uint64_t offset, std::size_t length) const {
    return offset >= base_ && offset + length <= base_ + have_;
  }
  std::uint64_t length() const { return length_; }
  bool failed() const { return failed_; }

 private:
  const MediaReader& read_;
  std::uint64_t length_;
  std::size_t block_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t base_ = 0;
  std::size_t have_ = 0;
  bool failed_ = false;
};

std::uint8_t* PaddedCopy(std::span<const std::uint8_t> bytes) {
  auto* copy = static_cast<std::uint8_t*>(av_mallocz(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  if (copy != nullptr) std::copy(bytes.begin(), bytes.end(), copy);
  return copy;
}

// A codec context with the given configuration; opened as a decoder when
// `open` is set (else only for a parser).
AVCodecContext* NewContext(AVCodecID id, std::span<const std::uint8_t> config, bool open) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (codec == nullptr) return nullptr;
  // A parser's context needs none of the decoder's own state.
  AVCodecContext* context = avcodec_alloc_context3(open ? codec : nullptr);
  if (context == nullptr) return nullptr;
  context->extradata = PaddedCopy(config);
  context->extradata_size = static_cast<int>(config.size());
  context->thread_count = 1;
  context->err_recognition = AV_EF_EXPLODE;
  // The walk asks only whether pictures decode: the deblocking filter,
  // which cannot fail, is left out.
  context->skip_loop_filter = AVDISCARD_ALL;
  if (context->extradata == nullptr || (open && avcodec_open2(context, codec, nullptr) < 0)) {
    avcodec_free_context(&context);
  }
  return context;
}

// True when `decoder` makes a frame of `bytes`, from a clean state.
bool Decodes(AVCodecContext* decoder, AVPacket* packet, AVFrame* frame,
             std::span<const std::uint8_t> bytes, bool drain) {
  avcodec_flush_buffers(decoder);
  if (av_new_packet(packet, static_cast<int>(bytes.size())) < 0) return false;
  std::copy(bytes.begin(), bytes.end(), packet->data);
  const int sent = avcodec_send_packet(decoder, packet);
  av_packet_unref(packet);
  if (sent < 0) return false;
  if (drain) avcodec_send_packet(decoder, nullptr);
  const bool ok = avcodec_receive_frame(decoder, frame) == 0 && frame->decode_error_flags == 0;
  av_frame_unref(frame);
  return ok;
}

// libavcodec's parts of the walk: the AAC decoder, which reads a raw frame
// (the recorder writes no ADTS headers, so the AAC parser cannot find its
// end), and the H.264 parser, which tells each picture's order count.
class Codecs {
 public:
  Codecs() = default;
  Codecs(const Codecs&) = delete;
  Codecs& operator=(const Codecs&) = delete;
  ~Codecs() {
    avcodec_free_context(&sound_);
    avcodec_free_context(&pictures_);
    if (parser_ != nullptr) av_parser_close(parser_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
  }

  bool Open(const WalkPlan& plan, std::string& why) {
    // The decoder's complaints about the bytes it is tried on are expected.
    av_log_set_level(AV_LOG_QUIET);
    sound_ = NewContext(AV_CODEC_ID_AAC, plan.aacConfig, true);
    pictures_ = NewContext(AV_CODEC_ID_H264, plan.avcC, false);
    parser_ = av_parser_init(AV_CODEC_ID_H264);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (sound_ == nullptr || pictures_ == nullptr || parser_ == nullptr || packet_ == nullptr ||
        frame_ == nullptr) {
      why = "the AAC decoder or the H.264 parser refuses the reference's sample descriptions";
      return false;
    }
    parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    return true;
  }

  bool SoundDecodes(std::span<const std::uint8_t> bytes) {
    return Decodes(sound_, packet_, frame_, bytes, false);
  }

  // The sizes of `count` sound frames that fill `bytes` exactly, told by one
  // pass of the decoder: each frame tells how much of the packet was left
  // when it began, each decodes cleanly, and after the last the decoder has
  // no bytes left over. Empty when the bytes are not that.
  std::vector<std::uint32_t> SoundFramesFilling(std::span<const std::uint8_t> bytes,
                                                std::size_t count, std::size_t maxFrameBytes) {
    avcodec_flush_buffers(sound_);
    if (bytes.empty() || av_new_packet(packet_, static_cast<int>(bytes.size())) < 0) return {};
    std::copy(bytes.begin(), bytes.end(), packet_->data);
    const int sent = avcodec_send_packet(sound_, packet_);
    av_packet_unref(packet_);
    std::vector<int> left;  // at the start of each frame
    bool clean = sent >= 0;
    while (clean && left.size() < count && avcodec_receive_frame(sound_, frame_) == 0) {
      clean = frame_->decode_error_flags == 0;
      left.push_back(frame_->pkt_size);
      av_frame_unref(frame_);
    }
    const bool filled = clean && left.size() == count &&
                        avcodec_receive_frame(sound_, frame_) == AVERROR(EAGAIN) &&
                        left.front() == static_cast<int>(bytes.size());
    av_frame_unref(frame_);
    if (!filled) return {};
    left.push_back(0);
    std::vector<std::uint32_t> sizes;
    for (std::size_t i = 0; i < count; ++i) {
      const int size = left[i] - left[i + 1];
      if (size <= 0 || static_cast<std::size_t>(size) > maxFrameBytes) return {};
      sizes.push_back(static_cast<std::uint32_t>(size));
    }
    return sizes;
  }

  // The sizes of the sound frames, of `count` that follow each other from
  // the start of `bytes`, that one pass of the decoder tells: it keeps what
  // a frame leaves of a packet for the next frame, and each frame tells how
  // much of the packet was left when it began, so that the decoder tells
  // the size of each frame but the last it decodes.
  std::vector<std::uint32_t> SoundFrameSizes(std::span<const std::uint8_t> bytes, std::size_t count,
                                             std::size_t maxFrameBytes) {
    std::vector<std::uint32_t> sizes;
    avcodec_flush_buffers(sound_);
    if (bytes.empty() || av_new_packet(packet_, static_cast<int>(bytes.size())) < 0) return sizes;
    std::copy(bytes.begin(), bytes.end(), packet_->data);
    const int sent = avcodec_send_packet(sound_, packet_);
    av_packet_unref(packet_);
    int left = static_cast<int>(bytes.size());
    for (std::size_t decoded = 0;
         sent >= 0 && decoded < count && avcodec_receive_frame(sound_, frame_) == 0; ++decoded) {
      const bool clean = frame_->decode_error_flags == 0;
      const int before = frame_->pkt_size;
      av_frame_unref(frame_);
      if (!clean) break;
      if (before != left) {
        const auto size = static_cast<std::uint32_t>(left - before);
        if (left < before || size > maxFrameBytes) break;
        sizes.push_back(size);
      }
      left = before;
    }
    return sizes;
  }

  // The order count of the next picture in decoding order.
  int PictureOrder(std::span<const std::uint8_t> picture) {
    std::uint8_t* out = nullptr;
    int outSize = 0;
    av_parser_parse2(parser_, pictures_, &out, &outSize, picture.data(),
                     static_cast<int>(picture.size()), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    return parser_->output_picture_number;
  }

 private:
  AVCodecContext* sound_ = nullptr;
  AVCodecContext* pictures_ = nullptr;
  AVCodecParserContext* parser_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
};

struct Nal {
  std::uint32_t length = 0;
  std::uint8_t header = 0;
  bool firstMacroblock = false;  // a slice that starts at macroblock 0
  bool whole = false;            // it lies whole within the media
  int Type() const { return header & 0x1F; }
  bool IsSlice() const { return Type() == kSlice || Type() == kIdrSlice; }
};

// The NAL unit at `offset` when its prefix and first bytes are there and
// it is well formed.
std::optional<Nal> NalAt(Window& window, std::uint64_t offset, int lengthSize) {
  const auto head = window.At(offset, static_cast<std::size_t>(lengthSize) + 2);
  if (head.size() < static_cast<std::size_t>(lengthSize) + 2) return std::nullopt;
  Nal nal;
  for (int i = 0; i < lengthSize; ++i)
    nal.length = nal.length << 8 | head[static_cast<std::size_t>(i)];
  nal.header = head[static_cast<std::size_t>(lengthSize)];
  // first_mb_in_slice is the slice header's first Exp-Golomb number: 0 is a
  // single 1 bit.
  nal.firstMacroblock = (head[static_cast<std::size_t>(lengthSize) + 1] & 0x80) != 0;
  const bool wellFormed =
      nal.length >= 2 && (nal.header & 0x80) == 0 && nal.Type() >= 1 && nal.Type() <= 23;
  if (!wellFormed) return std::nullopt;
  nal.whole = offset + static_cast<std::uint64_t>(lengthSize) + nal.length <= window.length();
  return nal;
}

// The picture at `offset`: its leading NAL units (SEI, parameter sets) and
// its slices. With the reference's slice count, a picture is whole with
// that many slices; without it, a picture ends at the first NAL unit that
// is not a further slice of it, and a picture that the media ends right
// after may have lost a slice: it is taken as cut.
std::optional<WalkedSample> PictureAt(Window& window, std::uint64_t offset, const WalkPlan& plan) {
  const auto prefix = static_cast<std::uint64_t>(plan.nalLengthSize);
  std::uint64_t at = offset;
  int slices = 0;
  std::uint8_t sliceHeader = 0;
  WalkedSample picture;
  picture.offset = offset;
  for (;;) {
    const std::optional<Nal> nal = NalAt(window, at, plan.nalLengthSize);
    if (slices > 0 && plan.slicesPerPicture == 0) {
      if (at >= window.length()) return std::nullopt;
      const bool further =
          nal && nal->IsSlice() && nal->header == sliceHeader && !nal->firstMacroblock;
      if (!further) break;
    }
    if (!nal || !nal->whole) return std::nullopt;
    if (nal->IsSlice()) {
      if (slices == 0) {
        if (!nal->firstMacroblock) return std::nullopt;
        sliceHeader = nal->header;
        picture.key = nal->Type() == kIdrSlice;
      } else if (nal->header != sliceHeader || nal->firstMacroblock) {
        return std::nullopt;
      }
      ++slices;
    } else if (slices > 0) {
      return std::nullopt;
    }
    at += prefix + nal->length;
    if (at - offset > UINT32_MAX) return std::nullopt;
    if (plan.slicesPerPicture > 0 && slices == plan.slicesPerPicture) break;
  }
  picture.size = static_cast<std::uint32_t>(at - offset);
  return picture;
}

// The sound frame at `offset`: the fewest bytes the decoder decodes. A
// frame cut short, or bytes that are no frame, do not decode at all.
std::optional<WalkedSample> SoundFrameAt(Window& window, std::uint64_t offset, const WalkPlan& plan,
                                         Codecs& codecs) {
  const auto bytes =
      window.At(offset, kMaxSoundFrameBytes * static_cast<std::size_t>(std::max(plan.channels, 1)));
  if (bytes.empty() || !codecs.SoundDecodes(bytes)) return std::nullopt;
  std::size_t low = 0;  // does not decode
  std::size_t high = bytes.size();
  while (high - low > 1) {
    const std::size_t middle = low + (high - low) / 2;
    (codecs.SoundDecodes(bytes.first(middle)) ? high : low) = middle;
  }
  return WalkedSample{offset, static_cast<std::uint32_t>(high)};
}

// The `count` sound frames of a chunk at `offset` that a picture follows:
// they end where a picture starts, at the first such place that `count`
// frames fill exactly, which one pass of the decoder tells. Most places fail
// at once: a NAL unit there would be of another kind or longer than the
// bytes at hand. Empty when there is none (the media end before the picture
// is whole, or the frames do not decode).
std::vector<WalkedSample> SoundChunkBeforePicture(Window& window, std::uint64_t offset,
                                                  std::size_t count, const WalkPlan& plan,
                                                  Codecs& codecs) {
  const std::size_t maxFrame =
      kMaxSoundFrameBytes * static_cast<std::size_t>(std::max(plan.channels, 1));
  // A copy: looking for a picture moves the window ahead.
  const auto head = window.At(offset, count * maxFrame + 1);
  const std::vector<std::uint8_t> bytes(head.begin(), head.end());
  std::vector<WalkedSample> frames;
  for (std::size_t end = 1; end < bytes.size(); ++end) {
    const std::optional<Nal> nal = NalAt(window, offset + end, plan.nalLengthSize);
    if (!nal || !window.Holds(offset + end, plan.nalLengthSize + std::size_t{nal->length}) ||
        !PictureAt(window, offset + end, plan)) {
      continue;
    }
    std::uint64_t at = offset;
    for (const std::uint32_t size :
         codecs.SoundFramesFilling(std::span(bytes).first(end), count, maxFrame)) {
      frames.push_back({at, size});
      at += size;
    }
    if (!frames.empty()) break;
  }
  return frames;
}

// True when the media end inside the sample at `offset`, so that no bytes
// that are no sample follow the samples before it: a picture's NAL units
// are well formed up to one that the media end inside, of a length that a
// picture can have; a sound frame has fewer bytes left than a frame can
// take.
bool EndsInside(Window& window, std::uint64_t offset, const WalkPlan& plan, bool sound) {
  const std::uint64_t left = window.length() - offset;
  if (sound)
    return left < kMaxSoundFrameBytes * static_cast<std::size_t>(std::max(plan.channels, 1));
  const auto prefix = static_cast<std::uint64_t>(plan.nalLengthSize);
  for (std::uint64_t at = offset;;) {
    if (window.length() - at < prefix + 2) return true;
    const std::optional<Nal> nal = NalAt(window, at, plan.nalLengthSize);
    if (!nal || nal->length > kMaxNalBytes) return false;
    if (!nal->whole) return true;
    at += prefix + nal->length;
  }
}

}  // namespace

bool WalkMedia(const MediaReader& read, std::uint64_t length, const WalkPlan& plan, MdatWalk& walk,
               std::string& why, const std::atomic<bool>* running) {
  Codecs codecs;
  if (!codecs.Open(plan, why)) return false;
  Window window(read, length);
  walk = MdatWalk{};
  walk.samples.assign(plan.tracks.size(), {});
  std::uint64_t at = 0;
  bool whole = true;
  bool stoppedInSound = false;
  const std::size_t maxSoundFrame =
      kMaxSoundFrameBytes * static_cast<std::size_t>(std::max(plan.channels, 1));
  for (std::size_t c = 0; c < plan.chunks.size(); ++c) {
    const WalkPlan::Chunk& planned = plan.chunks[c];
    const bool pictureNext =
        c + 1 < plan.chunks.size() && plan.tracks[plan.chunks[c + 1].track] == TrackKind::kPicture;
    if (running != nullptr && !running->load()) {
      why = "cancelled";
      return false;
    }
    WalkedChunk chunk{planned.track, at, 0};
    const bool sound = plan.tracks[planned.track] == TrackKind::kSound;
    if (sound && pictureNext) {
      for (const WalkedSample& frame :
           SoundChunkBeforePicture(window, at, planned.samples, plan, codecs)) {
        walk.samples[planned.track].push_back(frame);
        at += frame.size;
        ++chunk.samples;
      }
    }
    // Else frame by frame, as far as the frames are whole.
    for (std::uint32_t i = chunk.samples; whole && i < planned.samples; ++i) {
      if (sound && planned.samples - i > 1) {
        // The frames whose ends one pass of the decoder tells; the next one
        // (the chunk's last, or where the pass stopped) by itself below.
        const std::size_t left = planned.samples - i;
        for (const std::uint32_t size :
             codecs.SoundFrameSizes(window.At(at, left * maxSoundFrame), left, maxSoundFrame)) {
          walk.samples[planned.track].push_back({at, size});
          at += size;
          ++chunk.samples;
          ++i;
        }
      }
      const bool picture = !sound;
      std::optional<WalkedSample> sample =
          picture ? PictureAt(window, at, plan) : SoundFrameAt(window, at, plan, codecs);
      if (!sample) {
        whole = false;
        stoppedInSound = sound;
        break;
      }
      if (picture) {
        sample->order = codecs.PictureOrder(window.At(at, sample->size));
      }
      walk.samples[planned.track].push_back(*sample);
      at += sample->size;
      ++chunk.samples;
    }
    if (chunk.samples > 0) walk.chunks.push_back(chunk);
    if (!whole) break;
  }
  if (window.failed()) {
    why = "cannot read the damaged recording's media";
    return false;
  }
  walk.end = at;
  walk.endsInSample = whole ? at == length : EndsInside(window, at, plan, stoppedInSound);
  walk.outranPlan = whole && at < length;
  return true;
}

std::optional<WalkedSample> FirstPicture(const MediaReader& read, std::uint64_t length,
                                         const WalkPlan& plan) {
  Window window(read, length, kFirstPictureBlock);
  return PictureAt(window, 0, plan);
}

std::size_t PicturesDecoding(const MediaReader& read, const std::vector<WalkedSample>& pictures,
                             const WalkPlan& plan) {
  av_log_set_level(AV_LOG_QUIET);
  AVCodecContext* decoder = NewContext(AV_CODEC_ID_H264, plan.avcC, true);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::size_t decoded = 0;
  std::vector<std::uint8_t> bytes;
  for (const WalkedSample& picture : pictures) {
    if (decoder == nullptr || packet == nullptr || frame == nullptr) break;
    bytes.resize(picture.size);
    if (read(picture.offset, bytes) != static_cast<long long>(bytes.size()) ||
        av_new_packet(packet, static_cast<int>(bytes.size())) < 0) {
      break;
    }
    std::copy(bytes.begin(), bytes.end(), packet->data);
    const int sent = avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
    bool clean = sent >= 0;
    while (clean && avcodec_receive_frame(decoder, frame) == 0) {
      clean = frame->decode_error_flags == 0;
      av_frame_unref(frame);
    }
    if (!clean) break;
    ++decoded;
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  return decoded;
}

bool PictureDecodes(std::span<const std::uint8_t> picture, const WalkPlan& plan) {
  av_log_set_level(AV_LOG_QUIET);
  AVCodecContext* decoder = NewContext(AV_CODEC_ID_H264, plan.avcC, true);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const bool ok = decoder != nullptr && packet != nullptr && frame != nullptr &&
                  Decodes(decoder, packet, frame, picture, true);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  return ok;
}
