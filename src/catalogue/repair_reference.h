#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/join_merge.h"
#include "catalogue/mdat_walk.h"
#include "container/movie_file.h"

// A healthy recording that lends a recording cut short its sample
// descriptions and its interleave.
struct RepairReference {
  std::unique_ptr<MovieFile> movie;
  JoinAtoms atoms;
  WalkPlan plan;
  // Where its first sample lies behind the start of its media's content
  // (the recorder leaves 8 bytes there).
  std::uint64_t mediaLead = 0;
};

// Opens `path` as a reference: a recorder movie whose tracks can be written
// out again (as for a join), one of H.264 pictures and at most one of AAC
// sound, with their configurations. False with the reason otherwise.
bool OpenRepairReference(const std::filesystem::path& path, RepairReference& reference,
                         std::string& why);

// The other recorder movies in the folder of `damaged`, nearest in name
// order first (the recorder names its files by their start), the earlier of
// two at the same distance first.
std::vector<std::filesystem::path> ReferenceCandidates(const std::filesystem::path& damaged);
