// The output plug-in's name handling on arbitrary 280-byte configuration blobs and save paths:
// the blob taken as config-set takes it, the pattern check, the path split and the name
// composition for the usual and the extreme frame indices.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/check.h"
#include "seqwriter/frame_names.h"
#include "seqwriter/output_config.h"
#include "tests/support/number_text_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace seqwriter;
  uint8_t blob[kConfigBlobSize] = {};
  const size_t blobBytes = size < sizeof blob ? size : sizeof blob;
  std::memcpy(blob, data, blobBytes);
  Check(SetConfig(blob, kConfigBlobSize) == kConfigBlobSize, "SetConfig");
  const std::string savePath(reinterpret_cast<const char*>(data) + blobBytes, size - blobBytes);

  FrameNames names;
  const bool split = SplitSavePath(savePath.c_str(), &names);
  const size_t pathLen = std::strlen(savePath.c_str());
  Check(split == (pathLen < kPathBufferSize), "the split refused a path that fits, or took one that does not");
  if (!split) return 0;
  const std::string dir = savePath.substr(0, names.namePart);
  Check(dir + names.base + names.extension == savePath.c_str(), "the split lost bytes");
  Check(names.extension[0] == '\0' || names.extension[0] == '.', "the extension has no dot");

  const PatternText pattern = NamePatternText(outputConfig);
  if (!IsSafeNamePattern(pattern.text)) return 0;
  int spare;
  std::memcpy(&spare, blob + offsetof(OutputConfig, spare), sizeof spare);
  for (int index : {0, 1, -1, 9999, INT_MAX, INT_MIN, spare}) {
    char number[kNumberTextSize];
    const size_t n = testsupport::FormatNumber(number, pattern.text, index);
    const size_t len = std::strlen(number);
    Check(len < kNumberTextSize && (n == len || (n == kNumberTextSize && len == n - 1)),
          "the number text's length");
    if (!ComposeFramePath(&names, pattern.text, index)) {
      Check(dir.size() + std::strlen(names.base) + n + std::strlen(names.extension) >=
                    kPathBufferSize ||
                n >= kPathBufferSize,
            "a name that fits was refused");
      continue;
    }
    Check(names.path == dir + names.base + number + names.extension, "the composed path");
  }
  return 0;
}
