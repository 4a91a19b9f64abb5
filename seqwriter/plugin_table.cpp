// The export and the table through which the editor drives the numbered JPEG output.
#include <windows.h>

#include "host/host_contract.h"
#include "seqwriter/config_dialog.h"
#include "seqwriter/output_config.h"
#include "seqwriter/output_frames.h"

namespace {

// The host's flag bits for this plug-in: none.
constexpr uint32_t kTableFlags = 0;

const host::OutputTable outputTable = {
    kTableFlags,                                                // flags
    "Vistrane(YC48)",                                           // name
    "JPEG File (*.jpg,*jpeg)\0*.jpg;*.jpeg\0AllFile (*.*)\0*.*\0",  // file filter
    nullptr,                                                    // information
    nullptr,                                                    // init
    nullptr,                                                    // exit
    seqwriter::OutputFrames,                                    // output
    seqwriter::ShowConfigDialog,                                // config
    seqwriter::GetConfig,                                       // config-get
    seqwriter::SetConfig,                                       // config-set
    {},                                                         // reserved, zero
};

}  // namespace

extern "C" const host::OutputTable* __cdecl GetOutputPluginTable() {
  return &outputTable;
}
