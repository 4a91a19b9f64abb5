# Where scripts/setup.sh put the dependencies it builds: $DEPS_CACHE, or .cache/ in the project
# folder (the scripts pass it on as DEPS_DIR). scripts/lib.sh resolves the same default.
# The libjpeg-turbo version is named here once: setup.sh checks the source package against it,
# and the trees that use the source (its test images, the fuzzers' own build) find it by it.
get_filename_component(PROJECT_TOP "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(DEFINED ENV{DEPS_CACHE} AND NOT "$ENV{DEPS_CACHE}" STREQUAL "")
  set(DEPS_DIR_DEFAULT "$ENV{DEPS_CACHE}")
else()
  set(DEPS_DIR_DEFAULT "${PROJECT_TOP}/.cache")
endif()
set(DEPS_DIR "${DEPS_DIR_DEFAULT}" CACHE PATH "Where scripts/setup.sh put the built dependencies")
set(LIBJPEG_TURBO_VERSION 2.1.5)
set(LIBJPEG_TURBO_SOURCE "${DEPS_DIR}/src/libjpeg-turbo-${LIBJPEG_TURBO_VERSION}")
