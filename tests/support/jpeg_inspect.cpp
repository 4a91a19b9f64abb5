#include "tests/support/jpeg_inspect.h"

#include "core/fatal_error_mgr.h"

namespace testsupport {

const int kZigzagToNatural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

int U16(const std::vector<uint8_t>& b, size_t i) { return (b[i] << 8) | b[i + 1]; }

}  // namespace

bool InspectJpeg(const std::vector<uint8_t>& b, JpegStructure* out) {
  JpegStructure s;
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
  size_t i = 2;
  while (i + 1 < b.size()) {
    if (b[i] != 0xFF) return false;
    const int marker = b[i + 1];
    if (marker == 0xFF) { ++i; continue; }
    if (marker == 0xD9) { s.endsWithEoi = i + 2 == b.size(); break; }
    if (i + 3 >= b.size()) return false;
    const size_t len = U16(b, i + 2);
    const size_t seg = i + 4, end = i + 2 + len;
    if (end > b.size() || len < 2) return false;
    if (marker >= 0xC0 && marker <= 0xC2) {
      s.sofMarker = marker;
      s.height = U16(b, seg + 1);
      s.width = U16(b, seg + 3);
      const int n = b[seg + 5];
      for (int c = 0; c < n; ++c) {
        const size_t p = seg + 6 + 3 * c;
        s.components.push_back({b[p], b[p + 1] >> 4, b[p + 1] & 15, b[p + 2]});
      }
    } else if (marker == 0xDB) {
      for (size_t p = seg; p < end;) {
        const int precision = b[p] >> 4, slot = b[p] & 15;
        std::array<int, 64> t{};
        for (int k = 0; k < 64; ++k)
          t[kZigzagToNatural[k]] = precision ? U16(b, p + 1 + 2 * k) : b[p + 1 + k];
        s.quantTables[slot] = t;
        p += 1 + 64 * (precision ? 2 : 1);
      }
    } else if (marker == 0xC4) {
      ++s.huffmanTableSegments;
    } else if (marker == 0xDA) {
      Scan scan;
      const int n = b[seg];
      for (int c = 0; c < n; ++c) {
        const int id = b[seg + 1 + 2 * c];
        for (size_t k = 0; k < s.components.size(); ++k)
          if (s.components[k].id == id) scan.components.push_back(static_cast<int>(k));
      }
      const size_t p = seg + 1 + 2 * n;
      scan.Ss = b[p];
      scan.Se = b[p + 1];
      scan.Ah = b[p + 2] >> 4;
      scan.Al = b[p + 2] & 15;
      s.scans.push_back(scan);
      // Skip the entropy-coded data: up to the next marker that is not a stuffed byte or RSTn.
      size_t q = end;
      while (q + 1 < b.size() &&
             !(b[q] == 0xFF && b[q + 1] != 0x00 && !(b[q + 1] >= 0xD0 && b[q + 1] <= 0xD7)))
        ++q;
      i = q;
      continue;
    }
    i = end;
  }
  *out = s;
  return true;
}

namespace {

// Runs the whole decode in a frame without objects that have destructors; `samples` is sized
// by the caller once the header is known (through the callback below).
struct DecodeJob {
  const std::vector<uint8_t>* bytes;
  Decoded* out;
  jpeg_decompress_struct cinfo;
  core::FatalErrorMgr err;  // its landing without the module's failure flag
};

void ResizeSamples(Decoded* d, size_t n) { d->samples.assign(n, 0); }

bool RunDecode(DecodeJob& job) {
  job.cinfo.err = jpeg_std_error(&job.err.pub);
  job.err.pub.error_exit = core::JumpToLanding;
  if (setjmp(job.err.landing)) {
    jpeg_destroy_decompress(&job.cinfo);
    return false;
  }
  jpeg_create_decompress(&job.cinfo);
  jpeg_mem_src(&job.cinfo, job.bytes->data(), static_cast<unsigned long>(job.bytes->size()));
  jpeg_read_header(&job.cinfo, TRUE);
  Decoded* d = job.out;
  if (job.cinfo.dc_huff_tbl_ptrs[0] != nullptr)
    for (int k = 0; k < 17; ++k) d->dcLumaBits[k] = job.cinfo.dc_huff_tbl_ptrs[0]->bits[k];
  if (job.cinfo.ac_huff_tbl_ptrs[0] != nullptr)
    for (int k = 0; k < 17; ++k) d->acLumaBits[k] = job.cinfo.ac_huff_tbl_ptrs[0]->bits[k];
  job.cinfo.out_color_space = job.cinfo.jpeg_color_space;
  jpeg_start_decompress(&job.cinfo);
  d->width = static_cast<int>(job.cinfo.output_width);
  d->height = static_cast<int>(job.cinfo.output_height);
  d->components = job.cinfo.output_components;
  ResizeSamples(d, static_cast<size_t>(d->width) * d->height * d->components);
  while (job.cinfo.output_scanline < job.cinfo.output_height) {
    JSAMPROW row = d->samples.data() +
                   static_cast<size_t>(job.cinfo.output_scanline) * d->width * d->components;
    jpeg_read_scanlines(&job.cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job.cinfo);
  jpeg_destroy_decompress(&job.cinfo);
  return true;
}

}  // namespace

bool DecodeJpeg(const std::vector<uint8_t>& bytes, Decoded* out) {
  static DecodeJob job;  // kept off the stack frames a longjmp may leave
  job = DecodeJob{};
  job.bytes = &bytes;
  job.out = out;
  return RunDecode(job);
}

}  // namespace testsupport
