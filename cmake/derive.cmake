# The generated headers every build of the commands needs, for builds that do
# not run CMake's configure step (the Python and R packages):
#   cmake -DOUT=folder -P cmake/derive.cmake
# writes exports.inc, result-codes.inc and quorbel_version.h into folder, by
# the same functions the CMake build uses.
cmake_minimum_required(VERSION 3.25)
get_filename_component(QUORBEL_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
include(${CMAKE_CURRENT_LIST_DIR}/exports.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
file(MAKE_DIRECTORY "${OUT}")
quorbel_derive_exports(${QUORBEL_ROOT}/src/Quorbel.def "${OUT}")
quorbel_derive_code_names("${OUT}" ${QUORBEL_ROOT}/include/quorbel.h ${QUORBEL_ROOT}/include/quorbel_exact.h ${QUORBEL_ROOT}/include/quorbel_freedom.h ${QUORBEL_ROOT}/include/quorbel_sampling.h)
quorbel_read_version(${QUORBEL_ROOT} version)
quorbel_write_version_header(${QUORBEL_ROOT} "${OUT}" ${version})
