#pragma once

// Builds small movie files byte by byte for the reader's tests and fuzz
// seeds: atoms, the sample tables the queries read, sensor records and the
// recorder's file layout.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace atoms {

using Bytes = std::vector<std::uint8_t>;

inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

inline Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline Bytes Be32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

inline Bytes Be16(std::uint16_t v) {
  return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) Append(out, part);
  return out;
}

// An atom with the right size field around `content`.
inline Bytes Atom(std::string_view name, const Bytes& content) {
  Bytes out = Be32(static_cast<std::uint32_t>(content.size() + 8));
  Append(out, Text(name));
  Append(out, content);
  return out;
}

inline Bytes Atom(std::string_view name, std::initializer_list<Bytes> children) {
  return Atom(name, Cat(children));
}

// An atom whose size field says `size`, whatever the content is.
inline Bytes AtomWithSize(std::uint32_t size, std::string_view name, const Bytes& content) {
  Bytes out = Be32(size);
  Append(out, Text(name));
  Append(out, content);
  return out;
}

// A time-to-sample table whose entry count field says `entryCount` and
// which holds one entry (sampleCount, delta).
inline Bytes Stts(std::uint32_t sampleCount, std::uint32_t delta, std::uint32_t entryCount = 1) {
  return Atom("stts", Cat({Be32(0), Be32(entryCount), Be32(sampleCount), Be32(delta)}));
}

// A sample description table with one video entry of width x height.
inline Bytes Stsd(std::uint16_t width, std::uint16_t height) {
  Bytes entry = Cat(
      {Text("avc1"), Bytes(6, 0), Be16(1), Bytes(16, 0), Be16(width), Be16(height), Bytes(50, 0)});
  return Atom("stsd",
              Cat({Be32(0), Be32(1), Be32(static_cast<std::uint32_t>(entry.size() + 4)), entry}));
}

// A table of `values` with an entry count field that says `countField`:
// `stsz` (sample size 0), `stco` or `stss`.
inline Bytes Table(std::string_view name, const std::vector<std::uint32_t>& values,
                   std::uint32_t countField) {
  Bytes content = Be32(0);
  if (name == "stsz") Append(content, Be32(0));
  Append(content, Be32(countField));
  for (std::uint32_t v : values) Append(content, Be32(v));
  return Atom(name, content);
}

// One track: tkhd, mdia(mdhd, hdlr, minf(vmhd, stbl(stsd, stts, stss, stsz, stco))).
inline Bytes Track(std::uint16_t width, std::uint16_t height, std::uint32_t frames,
                   std::uint32_t delta) {
  std::vector<std::uint32_t> sizes(frames, 1000);
  return Atom(
      "trak",
      {Atom("tkhd", Bytes(84, 0)),
       Atom("mdia",
            {Atom("mdhd", Bytes(24, 0)), Atom("hdlr", Bytes(25, 0)),
             Atom("minf",
                  {Atom("vmhd", Bytes(12, 0)),
                   Atom("stbl", {Stsd(width, height), Stts(frames, delta), Table("stss", {1}, 1),
                                 Table("stsz", sizes, frames), Table("stco", {48}, 1)})})})});
}

// A 124-byte sensor record of blanks; Put writes fields into it.
inline std::string BlankRecord() { return std::string(124, ' '); }

inline void Put(std::string& record, std::size_t offset, std::string_view text) {
  record.replace(offset, text.size(), text);
}

// A plausible record: fix, 35.66872333 N / 139.76131500 E, 42 km/h, the
// given date and time (YYMMDDhhmmss), seconds to add "*", G of 0.012,
// -0.034, 1.000.
inline std::string SampleRecord(int number, std::string_view dateTime = "230815143000") {
  std::string record = BlankRecord();
  std::string digits = std::to_string(100000 + number).substr(1);
  Put(record, 0, digits);
  record[5] = 'A';
  Put(record, 6, "3540.1234");
  record[15] = 'N';
  Put(record, 16, "13945.6789");
  record[26] = 'E';
  Put(record, 27, "0042");
  Put(record, 31, dateTime);
  record[44] = '*';
  Put(record, 57,
      "00012-0034"
      "01000");
  Put(record, 72, "NNNNNN");
  return record;
}

// The 26-byte header block: numbers 1000 2000 3000 4000, the given mode,
// version 010203, quality 'H', 'N', '0'.
inline std::string HeaderBlock(char mode = 'D') {
  return std::string("1000200030004000") + mode + "010203HN0";
}

// A `udat` atom: "CSMDAT", the header block, the count field, the records
// and, when closed, "CSMEND".
inline Bytes Udat(const std::vector<std::string>& records, std::uint16_t countField,
                  bool closed = true, std::string_view header = {}) {
  Bytes content = Text("CSMDAT");
  Append(content, Text(header.empty() ? HeaderBlock() : header));
  Append(content, Be16(countField));
  for (const std::string& record : records) Append(content, Text(record));
  if (closed) Append(content, Text("CSMEND"));
  return Atom("udat", content);
}

inline Bytes Udat(const std::vector<std::string>& records) {
  return Udat(records, static_cast<std::uint16_t>(records.size()));
}

inline std::vector<std::string> SampleRecords(int count) {
  std::vector<std::string> records;
  for (int i = 0; i < count; ++i) records.push_back(SampleRecord(i));
  return records;
}

inline Bytes Ftyp() { return Atom("ftyp", Cat({Text("qt  "), Be32(0x200), Text("qt  ")})); }

// The media atom: an 8-byte `wide` header, then `payload` bytes.
inline Bytes Mdat(std::size_t payload = 64) {
  return Atom("mdat", Cat({Be32(8), Text("wide"), Bytes(payload, 0x5A)}));
}

inline Bytes Moov(std::uint32_t frames = 90, std::uint32_t delta = 3000) {
  return Atom("moov",
              {Atom("mvhd", Bytes(100, 0)), Track(320, 180, frames, delta),
               Atom("trak", {Atom("tkhd", Bytes(84, 0)),
                             Atom("mdia", {Atom("mdhd", Bytes(24, 0)),
                                           Atom("minf", {Atom("stbl", {Stts(130, 1024)})})})})});
}

// The closing atom: 12 bytes, four of them zero.
inline Bytes Closing() { return Atom("free", Bytes(4, 0)); }

// ftyp, mdat, moov, udat, free: the layout the recorder writes.
inline Bytes RecorderMovie(const Bytes& udat) {
  return Cat({Ftyp(), Mdat(), Moov(), udat, Closing()});
}

inline Bytes RecorderMovie(int records = 20) { return RecorderMovie(Udat(SampleRecords(records))); }

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// Writes `bytes` to a file of this name in `folder` and returns its path.
inline std::filesystem::path WriteIn(const std::filesystem::path& folder, std::string_view name,
                                     const Bytes& bytes) {
  const std::filesystem::path file = folder / name;
  WriteFile(file, bytes);
  return file;
}

}  // namespace atoms

namespace atoms {

// One stretch of a sparse file: bytes written, then a hole of `hole` bytes
// that takes no room on the disk.
struct Stretch {
  Bytes bytes;
  std::uint64_t hole = 0;
};

// An atom of `size` bytes whose content is a hole.
inline Stretch HollowAtom(std::string_view name, std::uint32_t size) {
  return {Cat({Be32(size), Text(name)}), size - 8u};
}

// Writes the stretches one after the other with pwrite and ftruncate, so
// that a file of gigabytes costs only its written bytes. False when the file
// cannot be written.
bool WriteSparse(const std::filesystem::path& path, const std::vector<Stretch>& stretches);

}  // namespace atoms
