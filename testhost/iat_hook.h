// Lets the substitute host watch system calls a plug-in makes (beeps, pauses) by replacing
// entries of the plug-in's import address table.
#pragma once

#include <windows.h>

namespace testhost {

// Points the module's import of dll!function at `replacement`; returns the previous address,
// or null when the module does not import that function.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement);

}  // namespace testhost
