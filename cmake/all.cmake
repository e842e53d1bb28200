# Every build and every test of Quorbel from one configure preset, for
#   cmake --workflow --preset all
# Each build preset is configured and built in its own folder (one after the
# other: each takes both cores), and its tests join this folder's through
# ctest's subdirs, with their labels. The Python and R packages, the release
# archives and the browser calculator are tests of this folder. A build that
# fails is recorded, not fatal: its "<preset>.build" test fails, and every
# other build and test still runs, so that one run reports everything.
set(QUORBEL_PRESETS native sanitize tsan fuzz linux32 win64 win32 web)
set(QUORBEL_BUILD_STATUS ${CMAKE_BINARY_DIR}/build-status)
set(previous "")
set(subdirs "")
foreach(preset IN LISTS QUORBEL_PRESETS)
  add_custom_target(build-${preset} ALL
                    COMMAND bash ${CMAKE_SOURCE_DIR}/tools/build-preset.sh ${preset} ${QUORBEL_BUILD_STATUS}
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} USES_TERMINAL
                    COMMENT "Building the ${preset} preset")
  if(previous)
    add_dependencies(build-${preset} build-${previous})
  endif()
  set(previous ${preset})
  add_test(NAME ${preset}.build COMMAND bash -c "exit $(cat ${QUORBEL_BUILD_STATUS}/${preset} 2>/dev/null || echo 1)")
  set_tests_properties(${preset}.build PROPERTIES LABELS "${preset};build")
  if(NOT preset STREQUAL "web")
    string(APPEND subdirs "subdirs(\"${CMAKE_SOURCE_DIR}/build/${preset}\")\n")
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/preset-tests.cmake "${subdirs}")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/preset-tests.cmake)

# The packages and the page, each a script that exits 77 for a skip.
function(quorbel_script_test name label)
  add_test(NAME ${name} COMMAND bash ${ARGN} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "${label}" SKIP_RETURN_CODE 77)
endfunction()
quorbel_script_test(python.package python ${CMAKE_SOURCE_DIR}/tools/test-python.sh)
quorbel_script_test(r.package r ${CMAKE_SOURCE_DIR}/tools/build-r-package.sh)
quorbel_script_test(release.packages release ${CMAKE_SOURCE_DIR}/tests/check_release.sh)
quorbel_script_test(web.module web-module ${CMAKE_SOURCE_DIR}/tools/test-web.sh module)
quorbel_script_test(web.browser web-browser ${CMAKE_SOURCE_DIR}/tools/test-web.sh browser)
# The packages and the release read the native and Windows builds; the page
# tests build the module themselves. None runs beside another of them.
set_tests_properties(python.package r.package release.packages web.module web.browser PROPERTIES
                     RESOURCE_LOCK packages)
