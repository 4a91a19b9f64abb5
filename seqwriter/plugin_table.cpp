// The export and the table through which the editor drives the numbered JPEG output.
#include <windows.h>

#include "config_dialog.h"
#include "host/host_contract.h"
#include "output_config.h"
#include "output_frames.h"

namespace {

const host::OutputTable outputTable = {
    0,                                                          // flags
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
