# The program's version, written only here: the project, the program's resources and caption,
# the release files and the package manifests all take it from here.
set(TESSARA_VERSION 1.99.0.3)
# The release stage the caption shows after the version; "" for a release. Any stage
# marks a pre-release: the program's version resource says so and the winget package goes
# out under its own identifier.
set(TESSARA_STAGE beta)

# Writes version.h into `dir`, which the includer puts on the include path.
function(tessara_version_header dir)
  string(REPLACE "." "," TESSARA_VERSION_RC ${TESSARA_VERSION})
  if("${TESSARA_STAGE}" STREQUAL "")
    set(TESSARA_PRERELEASE 0)
    set(TESSARA_VERSION_TEXT ${TESSARA_VERSION})
  else()
    set(TESSARA_PRERELEASE 1)
    set(TESSARA_VERSION_TEXT "${TESSARA_VERSION} ${TESSARA_STAGE}")
  endif()
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../res/version.h.in ${dir}/version.h @ONLY)
endfunction()
