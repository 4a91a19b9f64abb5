#include "core/scan_script.h"

#include <iterator>

namespace core {
namespace {

// One scan of a single component: its coefficient band and successive-approximation bits.
struct Band {
  int Ss, Se, Ah, Al;
};

//                            Ss  Se  Ah  Al
constexpr Band kLumaBands[] = {{0, 0, 0, 0},    // DC, full precision
                               {1, 5, 0, 2},    // low AC, two bits held back
                               {6, 63, 0, 2},   // high AC, two bits held back
                               {1, 63, 2, 1},   // refine one bit
                               {1, 63, 1, 0}};  // refine the last bit
constexpr Band kChromaBands[] = {{0, 0, 0, 0},   // DC, full precision
                                 {1, 63, 0, 1},  // all AC, one bit held back
                                 {1, 63, 1, 0}}; // refine the last bit

// The scans of a YCbCr image (11): luma's, then Cr's and Cb's; any other image passes over all
// its components with the luma bands (5 scans each).
constexpr int kLumaScans = static_cast<int>(std::size(kLumaBands));
constexpr int kYccScans = kLumaScans + 2 * static_cast<int>(std::size(kChromaBands));

// The least storage taken, in scans: as much as libjpeg's own jpeg_simple_progression takes
// (its YCbCr script's 10), so that a compressor which later switches to it can reuse it.
constexpr int kLeastScriptSpace = 10;

jpeg_scan_info* Fill(jpeg_scan_info* scan, int component, const Band& band) {
  scan->comps_in_scan = 1;
  scan->component_index[0] = component;
  scan->Ss = band.Ss;
  scan->Se = band.Se;
  scan->Ah = band.Ah;
  scan->Al = band.Al;
  return scan + 1;
}

}  // namespace

void custom_progression(j_compress_ptr cinfo) {
  const bool ycc = cinfo->num_components == 3 && cinfo->jpeg_color_space == JCS_YCbCr;
  const int nscans = ycc ? kYccScans : kLumaScans * cinfo->num_components;

  if (cinfo->script_space == nullptr || cinfo->script_space_size < nscans) {
    const int size = nscans > kLeastScriptSpace ? nscans : kLeastScriptSpace;
    // On failure the fatal-error hook leaves this call; nothing below runs.
    void* space = (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo),
                                             JPOOL_PERMANENT, size * sizeof(jpeg_scan_info));
    cinfo->script_space_size = size;
    cinfo->script_space = static_cast<jpeg_scan_info*>(space);
  }
  jpeg_scan_info* scan = cinfo->script_space;
  cinfo->scan_info = scan;
  cinfo->num_scans = nscans;

  if (ycc) {
    for (const Band& b : kLumaBands) scan = Fill(scan, 0, b);
    for (const Band& b : kChromaBands) scan = Fill(scan, 2, b);  // Cr before Cb
    for (const Band& b : kChromaBands) scan = Fill(scan, 1, b);
  } else {
    for (const Band& b : kLumaBands)
      for (int c = 0; c < cinfo->num_components; ++c) scan = Fill(scan, c, b);
  }
}

}  // namespace core
