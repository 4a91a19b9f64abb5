// The export: every frame of a job written as its own numbered JPEG file.
#pragma once

#include "host/host_contract.h"

namespace seqwriter {

// The output callback: 1 when every frame was written, when the user aborted and when the job
// has no frames; 0 on any failure. Files of earlier frames stay in every case.
BOOL __cdecl OutputFrames(host::OutputJob* job);

}  // namespace seqwriter
