#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Joining the sample tables of two tracks: each function takes the copied
// contents of the first track's atom and of the second's and returns the
// content of the joined atom, or nothing when a table is not well formed
// (a count that claims more entries than the atom holds) or a count would
// overflow. Integers are big-endian, each table starts with a version and
// flags word.
using AtomBytes = std::vector<std::uint8_t>;

// Time to sample (`stts`): the second table's entries follow the first's;
// where the boundary entries have the same delta they become one entry.
std::optional<AtomBytes> JoinTimeToSample(const AtomBytes& a, const AtomBytes& b);

// Composition offsets (`ctts`): entries appended.
std::optional<AtomBytes> JoinCompositionOffsets(const AtomBytes& a, const AtomBytes& b);

// Sync samples (`stss`): the second table's sample numbers move past the
// first track's `samplesBefore` samples.
std::optional<AtomBytes> JoinSyncSamples(const AtomBytes& a, const AtomBytes& b,
                                         std::uint32_t samplesBefore);

// Sample to chunk (`stsc`): the second table's first-chunk numbers move past
// the first track's `chunksBefore` chunks.
std::optional<AtomBytes> JoinSampleToChunk(const AtomBytes& a, const AtomBytes& b,
                                           std::uint32_t chunksBefore);

// Chunk offsets (`stco`): the second table's offsets move by `shift`; an
// offset that would leave the 32-bit range makes the join impossible.
std::optional<AtomBytes> JoinChunkOffsets(const AtomBytes& a, const AtomBytes& b,
                                          std::int64_t shift);

// Sample sizes (`stsz`): both tables listed, or, when both tracks have the
// same constant size, the counts added. Tracks whose size forms differ
// cannot be joined.
std::optional<AtomBytes> JoinSampleSizes(const AtomBytes& a, const AtomBytes& b);

// Sample dependency flags (`sdtp`, one byte a sample after the version and
// flags): appended.
std::optional<AtomBytes> JoinSampleFlags(const AtomBytes& a, const AtomBytes& b);

// The entry count of a counted table (`stco`, `stss`, ...; at offset 4),
// when the atom holds that many entries of `entrySize` bytes.
std::optional<std::uint32_t> EntryCount(const AtomBytes& table, std::size_t entrySize);

// The media time that an `stts` covers (the sum of count x delta), when well
// formed.
std::optional<std::uint64_t> TimeToSampleDuration(const AtomBytes& stts);

// The sample count of an `stsz` (at offset 8), when well formed.
std::optional<std::uint32_t> SampleCount(const AtomBytes& stsz);

// Adds `value` to the 32-bit duration at `offset`; false when the field is
// not there or the sum leaves the 32-bit range.
bool AddDuration(AtomBytes& content, std::size_t offset, std::uint32_t value);

// Reads an MPEG-4 descriptor length (1 to 4 bytes of 7 bits) at `at` and
// moves `at` past it; false when the bytes end first.
bool ReadDescriptorLength(const AtomBytes& bytes, std::size_t& at, std::size_t& length);

std::uint32_t ReadWord(const AtomBytes& bytes, std::size_t offset);
void WriteWord(AtomBytes& bytes, std::size_t offset, std::uint32_t value);
