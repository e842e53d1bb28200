# The version has one home: the project() line of the top CMakeLists.txt.
# Everything else (the headers' macros, the DLLs' version resource, the
# SONAME, quorbel.pc, the CMake package, the R and Python packages and the
# page) takes it from there.

# Reads the version from the top CMakeLists.txt, for builds that run CMake
# in script mode only (the Python and R packages).
function(quorbel_read_version root out_var)
  file(STRINGS "${root}/CMakeLists.txt" line REGEX "^project\\(Quorbel VERSION ")
  string(REGEX REPLACE "^project\\(Quorbel VERSION ([0-9]+\\.[0-9]+\\.[0-9]+).*" "\\1" version "${line}")
  set(${out_var} "${version}" PARENT_SCOPE)
endfunction()

# Writes quorbel_version.h for `version` into out_dir (only when it changes).
function(quorbel_write_version_header root out_dir version)
  string(REPLACE "." ";" parts "${version}")
  list(GET parts 0 PROJECT_VERSION_MAJOR)
  list(GET parts 1 PROJECT_VERSION_MINOR)
  list(GET parts 2 PROJECT_VERSION_PATCH)
  set(PROJECT_VERSION "${version}")
  configure_file("${root}/include/quorbel_version.h.in" "${out_dir}/quorbel_version.h" @ONLY)
endfunction()
