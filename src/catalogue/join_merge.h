#pragma once

#include <string>
#include <vector>

#include "container/movie_file.h"

// The atoms of one recording that a join reads and changes.
struct TrackAtoms {
  AtomNode* tkhd = nullptr;
  AtomNode* elst = nullptr;  // optional
  AtomNode* mdhd = nullptr;
  AtomNode* hdlr = nullptr;
  AtomNode* stsd = nullptr;
  AtomNode* stts = nullptr;
  AtomNode* ctts = nullptr;  // optional
  AtomNode* stss = nullptr;  // optional
  AtomNode* stsz = nullptr;
  AtomNode* stsc = nullptr;
  AtomNode* stco = nullptr;
  AtomNode* sdtp = nullptr;  // optional
};

struct JoinAtoms {
  AtomNode* mdat = nullptr;
  AtomNode* udat = nullptr;
  AtomNode* mvhd = nullptr;
  std::vector<TrackAtoms> tracks;
};

// Finds the atoms of a recording that can take part in a join: one `mdat`
// in front of the `moov`, whose first 8 bytes hold no samples, one `udat`
// that holds its records, and per track the sample tables in the 32-bit
// forms, every table complete, its chunks naming only sample descriptions
// the track has. Returns false with the reason otherwise.
bool FindJoinAtoms(MovieFile& movie, JoinAtoms& atoms, std::string& why);

// True when a join cuts the track at the seams between recordings
// (compressed sound with an edit list, whose priming and padding overlap
// the pictures' ends) rather than joining it sample for sample as pictures.
bool JoinsAtSeams(const TrackAtoms& track);

// Merges recording `b` into `a`, the head of the join: b's media (without
// its first 8 bytes) and sensor records are appended to a's, its sample
// tables and durations are added to a's, and its chunk offsets move to
// where its media lands, right behind a's media as joined so far (the
// writer checks that a's media keeps its place). Returns false with the
// reason, leaving `a` unchanged, when the two recordings do not match
// (tracks, time scales, sample descriptions) or a table would overflow.
bool Merge(JoinAtoms& a, JoinAtoms& b, std::string& why);
