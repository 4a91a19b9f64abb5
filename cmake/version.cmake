# The version resource of every plug-in DLL, from one template (version.rc.in) and the project's
# one version number. Its Comments entry repeats the notice that libjpeg-turbo's licence asks of
# a program that contains the library without its source. Explorer does not show Comments: the
# notice users read is THIRD-PARTY-NOTICES.txt and the guides in the release (tests/release
# checks the sentence in both places).

set(PRODUCT_NAME_JA "YC48 JPEG プラグイン")
set(PRODUCT_COPYRIGHT "Copyright (C) 2026 The YC48 JPEG plug-ins authors. MIT License.")
set(IJG_NOTICE "This software is based in part on the work of the Independent JPEG Group.")
set(PRODUCT_COMMENTS
  "${IJG_NOTICE} libjpeg-turbo ${LIBJPEG_TURBO_VERSION} を静的リンクしています（IJG License、Modified BSD License、zlib License）。詳しくは THIRD-PARTY-NOTICES.txt をご覧ください。")
set(RELEASE_NAME "yc48-jpeg-plugins-${PROJECT_VERSION}")

# Adds the version resource to a DLL target; description is the Japanese FileDescription.
function(add_version_resource target description)
  set(VERSION_FILE_DESCRIPTION "${description}")
  set(VERSION_ORIGINAL_FILENAME "${target}.dll")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()

# The release's name, for scripts/assemble-release.sh.
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/release-name.txt" CONTENT "${RELEASE_NAME}\n")
