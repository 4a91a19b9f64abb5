# The oldest Windows the plug-in DLLs run on: Windows XP SP3 (version 5.1), named here once.
# Every file of the Windows tree is compiled for it, so that mingw-w64's headers refuse any newer
# function called directly (a newer one is looked up with GetProcAddress, as the filter's precise
# clock is); the DLLs' PE headers give it as their OS and subsystem versions, and
# tests/check_dll.sh reads it from here to check them.
set(WINDOWS_MINIMUM_VERSION 5.1)
set(WINDOWS_MINIMUM_WINNT 0x0501)
set(WINDOWS_MINIMUM_IE 0x0600)    # the common controls and shell of Windows XP

add_compile_definitions(_WIN32_WINNT=${WINDOWS_MINIMUM_WINNT} WINVER=${WINDOWS_MINIMUM_WINNT}
  _WIN32_IE=${WINDOWS_MINIMUM_IE})
string(REPLACE "." ";" WINDOWS_MINIMUM_PARTS "${WINDOWS_MINIMUM_VERSION}")
list(GET WINDOWS_MINIMUM_PARTS 0 WINDOWS_MINIMUM_MAJOR)
list(GET WINDOWS_MINIMUM_PARTS 1 WINDOWS_MINIMUM_MINOR)
# A GUI-subsystem DLL that declares the same minimum.
set(WINDOWS_MINIMUM_LINK_OPTIONS
  -Wl,--subsystem,windows:${WINDOWS_MINIMUM_VERSION}
  -Wl,--major-os-version,${WINDOWS_MINIMUM_MAJOR} -Wl,--minor-os-version,${WINDOWS_MINIMUM_MINOR})
