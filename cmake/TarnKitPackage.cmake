# The installable kit: `cmake --install` of the win32 build puts tarn-pack,
# the stub kit, the CMake package TarnInstaller, the manual page and the
# documents under the prefix; CPack makes a Debian package of exactly that.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARN_KIT_DATADIR ${CMAKE_INSTALL_DATADIR}/tarnvale-installer)
set(TARN_KIT_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tarnvale-installer-kit)
set(TARN_KIT_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarnInstaller)

# tarn-pack finds its kit at ../share/tarnvale-installer/stub-kit from itself.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/tarn-pack DESTINATION ${CMAKE_INSTALL_BINDIR})
get_property(kit_files TARGET tarnstub-kit PROPERTY TARN_KIT_FILES)
install(FILES ${kit_files} DESTINATION ${TARN_KIT_DATADIR}/stub-kit)
install(FILES ${TARN_DEMO_SPLASH} DESTINATION ${TARN_KIT_DATADIR}
        RENAME demo-splash.png)

configure_file(${CMAKE_SOURCE_DIR}/packaging/TarnInstallerConfig.cmake.in
               ${CMAKE_BINARY_DIR}/packaging/TarnInstallerConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/TarnInstallerConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_BINARY_DIR}/packaging/TarnInstallerConfig.cmake
              ${CMAKE_BINARY_DIR}/packaging/TarnInstallerConfigVersion.cmake
              ${CMAKE_SOURCE_DIR}/cmake/TarnAddInstaller.cmake
        DESTINATION ${TARN_KIT_CMAKEDIR})

# With the version, compressed as Debian wants them, without a time stamp so the package is reproducible.
set(man_gz ${CMAKE_BINARY_DIR}/packaging/tarn-pack.1.gz)
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
foreach(doc tarn-pack.1 changelog)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/${doc}.in ${CMAKE_BINARY_DIR}/packaging/${doc} @ONLY)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
                       COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/${doc} > ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
                       DEPENDS ${CMAKE_BINARY_DIR}/packaging/${doc})
endforeach()
add_custom_target(kit-documents ALL DEPENDS ${man_gz} ${changelog_gz})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${changelog_gz}
        DESTINATION ${TARN_KIT_DOCDIR})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME tarnvale-installer-kit)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnvale-installer-kit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tarnvale)
set(CPACK_PACKAGE_CONTACT "Tarnvale Release Engineering <release@tarnvale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packs MSI packages into one hardened Windows setup executable")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "tarn-pack links the Tarnvale Installer stub, a small 32-bit Windows program\n"
       "without C runtime, with MSI packages and cabinets as its resources into one\n"
       "setup executable that extracts, verifies and installs them. The package also\n"
       "provides the CMake package TarnInstaller with tarn_add_installer().")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Windows archives and a Python script: nothing here runs on one Linux architecture only.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The kit's product archives hold the compiler's intermediate code, which only
# a compiler of the same major version can link: depend on that version.
string(REGEX MATCH "^[0-9]+" gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
math(EXPR gcc_next "${gcc_major} + 1")
set(gcc_deps "")
foreach(pkg gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix)
    string(APPEND gcc_deps "${pkg} (>= ${gcc_major}), ${pkg} (<< ${gcc_next}), ")
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "python3, ${gcc_deps}binutils-mingw-w64-i686, mingw-w64-i686-dev, msitools, icoutils, osslsigncode, openssl")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
include(CPack)
