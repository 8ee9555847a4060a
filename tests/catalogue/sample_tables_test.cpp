#include "catalogue/sample_tables.h"

#include <gtest/gtest.h>

namespace {

// A counted table: version and flags, the count, then the words given.
AtomBytes Table(std::uint32_t count, std::vector<std::uint32_t> words) {
  AtomBytes bytes(8 + words.size() * 4);
  WriteWord(bytes, 4, count);
  for (std::size_t i = 0; i < words.size(); ++i) WriteWord(bytes, 8 + i * 4, words[i]);
  return bytes;
}

// An `stsz`: version and flags, the constant size, the count, the sizes.
AtomBytes Sizes(std::uint32_t constant, std::uint32_t count, std::vector<std::uint32_t> sizes) {
  AtomBytes bytes = Table(constant, sizes);
  bytes.insert(bytes.begin() + 8, 4, 0);
  WriteWord(bytes, 8, count);
  return bytes;
}

TEST(SampleTables, TimeToSampleJoinsEqualDeltas) {
  EXPECT_EQ(JoinTimeToSample(Table(1, {1800, 3000}), Table(1, {1800, 3000})),
            Table(1, {3600, 3000}));
  EXPECT_EQ(JoinTimeToSample(Table(2, {10, 1024, 1, 512}), Table(2, {10, 1024, 1, 300})),
            Table(4, {10, 1024, 1, 512, 10, 1024, 1, 300}));
  EXPECT_EQ(JoinTimeToSample(Table(1, {5, 3003}), Table(0, {})), Table(1, {5, 3003}));
  EXPECT_EQ(JoinTimeToSample(Table(2, {1, 1}), Table(1, {1, 1})), std::nullopt);  // claims 2, holds 1
  EXPECT_EQ(JoinTimeToSample(Table(0x40000000, {1, 1}), Table(1, {1, 1})), std::nullopt);
}

TEST(SampleTables, ChunkTablesMoveTheSecondTrack) {
  // The second file's chunk at 48 lands behind 1,000,008 bytes of media,
  // less the 8 bytes in front of its samples.
  EXPECT_EQ(JoinChunkOffsets(Table(1, {36}), Table(2, {48, 900}), 1000008 - 8),
            Table(3, {36, 1000048, 1000900}));
  EXPECT_EQ(JoinChunkOffsets(Table(1, {36}), Table(1, {0xFFFFFF00}), 0x1000), std::nullopt);
  EXPECT_EQ(JoinSampleToChunk(Table(1, {1, 30, 1}), Table(2, {1, 30, 1, 4, 10, 1}), 7),
            Table(3, {1, 30, 1, 8, 30, 1, 11, 10, 1}));
  EXPECT_EQ(JoinSyncSamples(Table(2, {1, 31}), Table(2, {1, 31}), 60), Table(4, {1, 31, 61, 91}));
  EXPECT_EQ(JoinCompositionOffsets(Table(1, {2, 100}), Table(1, {3, 200})),
            Table(2, {2, 100, 3, 200}));
}

TEST(SampleTables, SampleSizesJoinOnlyLikeForms) {
  EXPECT_EQ(JoinSampleSizes(Sizes(0, 2, {5, 6}), Sizes(0, 1, {7})), Sizes(0, 3, {5, 6, 7}));
  EXPECT_EQ(JoinSampleSizes(Sizes(4, 10, {}), Sizes(4, 5, {})), Sizes(4, 15, {}));
  EXPECT_EQ(JoinSampleSizes(Sizes(4, 10, {}), Sizes(0, 1, {7})), std::nullopt);
  EXPECT_EQ(JoinSampleSizes(Sizes(4, 10, {}), Sizes(8, 1, {})), std::nullopt);
  EXPECT_EQ(JoinSampleSizes(Sizes(0, 3, {5, 6}), Sizes(0, 1, {7})), std::nullopt);
  EXPECT_EQ(SampleCount(Sizes(0, 0xFFFFFFFF, {1})), std::nullopt);
  EXPECT_EQ(SampleCount(Sizes(1, 0xFFFFFFFF, {})), 0xFFFFFFFFu);
}

TEST(SampleTables, DurationsAddWithinThirtyTwoBits) {
  AtomBytes mvhd(20);
  WriteWord(mvhd, 16, 60000);
  EXPECT_TRUE(AddDuration(mvhd, 16, 90000));
  EXPECT_EQ(ReadWord(mvhd, 16), 150000u);
  EXPECT_FALSE(AddDuration(mvhd, 16, 0xFFFFFFFF));
  EXPECT_EQ(ReadWord(mvhd, 16), 150000u);
  EXPECT_FALSE(AddDuration(mvhd, 18, 1));
  AtomBytes flags = {0, 0, 0, 0, 0x20, 0x10};
  EXPECT_EQ(JoinSampleFlags(flags, {0, 0, 0, 0, 0x30}), (AtomBytes{0, 0, 0, 0, 0x20, 0x10, 0x30}));
}

}  // namespace
