// The error manager of every libjpeg object in the plug-ins: the encoder's compressor and the
// reader's decompressor. Header only, so the reader uses it without linking the encoding core.
#pragma once

#include <csetjmp>

#include "core/jpeg_lib.h"

namespace core {

// libjpeg's error record extended by the landing place of the fatal-error hook.
struct FatalErrorMgr {
  jpeg_error_mgr pub;  // must stay first: libjpeg sees only this part
  jmp_buf landing;
};

// Leaves a failing libjpeg call for the landing of the object's FatalErrorMgr.
[[noreturn]] inline void JumpToLanding(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<FatalErrorMgr*>(cinfo->err)->landing, 1);
}

}  // namespace core
