// Reads JPEG files back independently of the code under test: a marker walker for the file's
// structure and a plain libjpeg decode for its samples.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"

namespace testsupport {

// The natural-order (row-major) position of the coefficient at each zigzag index, as the JPEG
// standard's figure A.6 orders them.
extern const int kZigzagToNatural[64];

struct Scan {
  std::vector<int> components;  // component indices in frame order
  int Ss, Se, Ah, Al;
  bool operator==(const Scan& o) const {
    return components == o.components && Ss == o.Ss && Se == o.Se && Ah == o.Ah && Al == o.Al;
  }
};

struct Component {
  int id, h, v, quantTable;
};

struct JpegStructure {
  int sofMarker = 0;  // 0xC0 baseline, 0xC1 extended sequential, 0xC2 progressive
  int width = 0, height = 0;
  std::vector<Component> components;
  std::map<int, std::array<int, 64>> quantTables;  // by slot, natural order
  std::vector<Scan> scans;
  int huffmanTableSegments = 0;
  bool endsWithEoi = false;
};

// Walks the markers; false when the bytes are not a well-formed JPEG stream.
bool InspectJpeg(const std::vector<uint8_t>& bytes, JpegStructure* out);

struct Decoded {
  int width = 0, height = 0, components = 0;
  std::vector<uint8_t> samples;  // rows of width * components bytes, in the file's colour space
  // Huffman tables as the header left them (sequential files only)
  std::array<uint8_t, 17> dcLumaBits{}, acLumaBits{};
};

// Decodes with libjpeg into the file's own colour space (no colour conversion). False when the
// library reports a fatal error.
bool DecodeJpeg(const std::vector<uint8_t>& bytes, Decoded* out);

}  // namespace testsupport
