# The program's version, written only here: the project, the program's resources and caption,
# the release files and the package manifests all take it from here.
set(TESSARA_VERSION 1.99.0.3)
# The release stage the caption shows after the version.
set(TESSARA_STAGE beta)

# Writes version.h into `dir`, which the includer puts on the include path.
function(tessara_version_header dir)
  string(REPLACE "." "," TESSARA_VERSION_RC ${TESSARA_VERSION})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../res/version.h.in ${dir}/version.h @ONLY)
endfunction()
