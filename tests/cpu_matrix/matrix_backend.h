// What the CPU matrix runs its cases through, chosen at link time: the plug-in DLLs through the
// substitute host (dll_backend.cpp, Windows tree) or the encoding and reader cores called
// directly (direct_backend.cpp, native tree). Every function returns an empty text on success,
// else what failed.
#pragma once

#include <string>
#include <vector>

#include "core/encoder.h"
#include "demo/clip.h"

namespace cpumatrix {

// What this build is, for the first line of the report.
extern const char kBackendName[];
// Between a folder and a name.
extern const char kPathSeparator;

std::string MakeFolder(const std::string& path);

// folder/stem_NNNN.jpg: the numbered output's file of frame `index` with its default name
// pattern "_%04d" (cpu_matrix.cpp).
std::string FramePath(const std::string& folder, const std::string& stem, int index);

// One export of `frames` (rows padded, as the editor hands out output frames) with the numbered
// output's settings, as the FramePath files of `folder` and `stem`.
std::string Export(const core::EncoderSettings& settings, std::vector<demo::Yc48Frame>& frames,
                   const std::string& folder, const std::string& stem);

// One still of `frame` (rows packed, as the editor's frame cache holds them) with the still
// filter's settings, written as `path`.
std::string SaveStill(const core::EncoderSettings& settings, const demo::Yc48Frame& frame,
                      const std::string& path);

// Reads the JPEG at `path` as one YC48 frame into `frame`, whose size and padded stride are set.
std::string ReadBack(const std::string& path, demo::Yc48Frame* frame);

}  // namespace cpumatrix
