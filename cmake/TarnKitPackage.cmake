# The installable kit: `cmake --install` of the win32 build puts tarn-pack,
# the stub kit, the CMake package TarnInstaller, the manual page and the
# documents under the prefix; CPack makes a Debian package of exactly that.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARN_KIT_DATADIR ${CMAKE_INSTALL_DATADIR}/tarnvale-installer)
set(TARN_KIT_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tarnvale-installer-kit)
set(TARN_KIT_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/TarnInstaller)

# tarn-pack finds its kit at ../share/tarnvale-installer/stub-kit from itself.
# The packer is the Python package tarnpack under <prefix>/share/tarnvale-installer/python
# and its command <prefix>/bin/tarn-pack, which finds it there.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/tarn-pack DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TARN_PACK_MODULES} DESTINATION ${TARN_KIT_DATADIR}/python/tarnpack)
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
       "tarn-pack makes one setup executable from the prebuilt Tarnvale Installer\n"
       "stub, a small 32-bit Windows program without C runtime, and MSI packages and\n"
       "cabinets, which it adds as the stub's resources; the setup extracts, verifies\n"
       "and installs them. No compiler is needed. The package also provides the CMake\n"
       "package TarnInstaller with tarn_add_installer().")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A Windows program and a Python package: nothing here runs on one Linux architecture only.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# What packing, listing, verifying and signing start: Python, msiinfo (the
# version resource's defaults), wrestool (listing and verifying), osslsigncode
# and openssl (signing and checking signatures). The stub comes built.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, msitools, icoutils, osslsigncode, openssl")
# The modules are compiled when the package is installed, and their compiled
# files removed with it; tarn-pack never writes beside them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/prerm)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
include(CPack)
