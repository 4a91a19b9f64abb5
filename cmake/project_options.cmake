# Compiler settings and third-party libraries of the two trees.

set(PROJECT_WARNINGS -Wall -Wextra -Wno-missing-field-initializers)

if(WIN32)
  # Every 32-bit Windows machine that runs the editor has SSE2. The editor calls plug-ins with a
  # stack that is only 4-byte aligned, so functions that need more realign it themselves.
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign ${PROJECT_WARNINGS})
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
  add_link_options(-static-libgcc -static-libstdc++ -static)

  set(JPEG_ROOT "${DEPS_DIR}/libjpeg-i686")
  if(NOT EXISTS "${JPEG_ROOT}/lib/libjpeg.a")
    message(FATAL_ERROR "libjpeg for i686 is missing in ${JPEG_ROOT}: run scripts/setup.sh")
  endif()
  add_library(libjpeg STATIC IMPORTED GLOBAL)
  set_target_properties(libjpeg PROPERTIES
    IMPORTED_LOCATION "${JPEG_ROOT}/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${JPEG_ROOT}/include")

  if(BUILD_TESTING)
    set(GTEST_ROOT "${DEPS_DIR}/gtest-i686")
    add_library(gtest_win STATIC IMPORTED GLOBAL)
    set_target_properties(gtest_win PROPERTIES
      IMPORTED_LOCATION "${GTEST_ROOT}/lib/libgtest.a"
      INTERFACE_INCLUDE_DIRECTORIES "${GTEST_ROOT}/include"
      INTERFACE_COMPILE_DEFINITIONS "GTEST_HAS_NOTIFICATION_=1"
      INTERFACE_COMPILE_OPTIONS "SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/gtest_win32_notification.h")
    add_library(gtest_main_win STATIC IMPORTED GLOBAL)
    set_target_properties(gtest_main_win PROPERTIES
      IMPORTED_LOCATION "${GTEST_ROOT}/lib/libgtest_main.a"
      INTERFACE_LINK_LIBRARIES gtest_win)
    add_library(project_gtest INTERFACE)
    target_link_libraries(project_gtest INTERFACE gtest_main_win)
  endif()

  # Windows programs of the tests run under Wine.
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}")
else()
  add_compile_options(${PROJECT_WARNINGS})
  find_package(JPEG REQUIRED)
  add_library(libjpeg INTERFACE)
  target_link_libraries(libjpeg INTERFACE JPEG::JPEG)

  if(BUILD_TESTING)
    find_package(GTest REQUIRED)
    add_library(project_gtest INTERFACE)
    target_link_libraries(project_gtest INTERFACE GTest::gtest_main)
  endif()

  # The sanitizers apply to the code under test, not to the benchmark.
  set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_library(sanitized INTERFACE)
  target_compile_options(sanitized INTERFACE ${SANITIZE})
  target_link_options(sanitized INTERFACE ${SANITIZE})
endif()

add_library(project_sanitized INTERFACE)
if(TARGET sanitized)
  target_link_libraries(project_sanitized INTERFACE sanitized)
endif()

# A plug-in DLL: its sources with CP932 string literals (the ANSI functions get Shift-JIS text),
# a .def file that pins the undecorated export names, optionally a resource script (UTF-8,
# read with #pragma code_page(65001)), and the version resource with the given Japanese file
# description (cmake/version.cmake). The DLL lands in the tree's bin/, beside the programs.
function(add_plugin_dll name)
  cmake_parse_arguments(ARG "" "DEF;RC;DESCRIPTION" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES} ${ARG_DEF} ${ARG_RC})
  add_version_resource(${name} "${ARG_DESCRIPTION}")
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP932>)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # Shipped without symbols: the static runtime libraries bring debug sections along. No link
  # time in the PE header, so that the same sources always give the same bytes.
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--no-insert-timestamp -s
    ${WINDOWS_MINIMUM_LINK_OPTIONS})
endfunction()
