# Installation for C and C++ users of the native build: the shared library
# (versioned, with its SONAME), both public headers, a pkg-config file, a
# CMake package giving the imported target Quorbel::quorbel, and the
# command-line tool with its manual page.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(quorbel PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
target_include_directories(quorbel INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS quorbel EXPORT QuorbelTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/quorbel.h ${CMAKE_BINARY_DIR}/include/quorbel_version.h include/quorbel_exact.h include/quorbel_freedom.h include/quorbel_sampling.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS quorbel_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES LICENSE THIRD-PARTY-NOTICES DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES cli/completion/quorbel.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quorbel)

install(EXPORT QuorbelTargets NAMESPACE Quorbel:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quorbel)
configure_package_config_file(cmake/QuorbelConfig.cmake.in ${CMAKE_BINARY_DIR}/QuorbelConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quorbel)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QuorbelConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QuorbelConfig.cmake ${CMAKE_BINARY_DIR}/QuorbelConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quorbel)

# The pkg-config file finds the prefix from its own place, so that an
# installed tree can be moved (or installed with --prefix).
file(RELATIVE_PATH QUORBEL_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/quorbel.pc.in ${CMAKE_BINARY_DIR}/quorbel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/quorbel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The manual page, made from the tool's own help texts.
if(NOT CMAKE_CROSSCOMPILING)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/quorbel.1
                     COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-manpage.sh $<TARGET_FILE:quorbel_cli>
                             ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}/quorbel.1
                     DEPENDS quorbel_cli quorbel ${CMAKE_SOURCE_DIR}/tools/make-manpage.sh)
  add_custom_target(quorbel_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/quorbel.1)
  install(FILES ${CMAKE_BINARY_DIR}/quorbel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
