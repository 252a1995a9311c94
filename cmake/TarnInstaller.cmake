# Building installers: the stub kit (the prebuilt archives and link settings
# that scripts/tarn-pack links an installer from) and tarn_add_installer.
#
#   tarn_add_stub_kit(<target> <dir> ENTRY <symbol> LIBRARIES <lib>...)
#       Copies the archives of the given library targets (imported ones
#       too) into <dir> as lib<name>.a and writes <dir>/stub.conf. The first
#       kit made is the default one of tarn_add_installer.
#
#   tarn_add_installer(<target> OUTPUT <file.exe>
#                      [PACKAGES <arch>:<file>...] [SPLASH <png>] [CERTS <der>...]
#                      [SIGN_KEY <key.pem> SIGN_CERT <cert.pem>] [KIT <kit target>]
#                      [EXECUTION_LEVEL <level>] [PRODUCT_NAME <text>] [PRODUCT_VERSION <x.y.z>]
#                      [COMPANY <text>] [DESCRIPTION <text>] [COPYRIGHT <text>])
#       Packs the installer with tarn-pack at build time (target in ALL).

set(TARN_PACK ${CMAKE_SOURCE_DIR}/scripts/tarn-pack)

function(tarn_add_stub_kit target dir)
    cmake_parse_arguments(PARSE_ARGV 2 KIT "" "ENTRY" "LIBRARIES")
    set(files ${dir}/stub.conf)
    set(commands "")
    set(depends "")
    foreach(lib IN LISTS KIT_LIBRARIES)
        list(APPEND files ${dir}/lib${lib}.a)
        list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${lib}> ${dir}/lib${lib}.a)
        # An imported library (an import library made by a custom command) is a file to depend on.
        get_target_property(imported ${lib} IMPORTED)
        if(imported)
            list(APPEND depends $<TARGET_FILE:${lib}>)
        else()
            list(APPEND depends ${lib})
        endif()
    endforeach()
    string(JOIN " " libs ${KIT_LIBRARIES})
    string(JOIN " " syslibs ${TARN_ALLOWED_IMPORTS} gcc)
    file(GENERATE OUTPUT ${dir}/stub.conf CONTENT
"# Stub kit of the Tarnvale Installer, read by tarn-pack.
cc = ${CMAKE_C_COMPILER}
cxx = ${CMAKE_CXX_COMPILER}
windres = ${CMAKE_RC_COMPILER}
entry = ${KIT_ENTRY}
libraries = ${libs}
system-libraries = ${syslibs}
")
    add_custom_command(OUTPUT ${dir}/.stamp ${commands}
                       COMMAND ${CMAKE_COMMAND} -E touch ${dir}/.stamp
                       DEPENDS ${depends}
                       COMMENT "Stub kit ${dir}")
    add_custom_target(${target} ALL DEPENDS ${dir}/.stamp)
    set_property(TARGET ${target} PROPERTY TARN_KIT_DIR ${dir})
    set_property(TARGET ${target} PROPERTY TARN_KIT_FILES ${files})
    get_property(default GLOBAL PROPERTY TARN_DEFAULT_KIT)
    if(NOT default)
        set_property(GLOBAL PROPERTY TARN_DEFAULT_KIT ${target})
    endif()
endfunction()

function(tarn_add_installer target)
    set(identity EXECUTION_LEVEL PRODUCT_NAME PRODUCT_VERSION COMPANY DESCRIPTION COPYRIGHT)
    cmake_parse_arguments(PARSE_ARGV 1 INST "" "OUTPUT;SPLASH;SIGN_KEY;SIGN_CERT;KIT;${identity}" "PACKAGES;CERTS")
    if(NOT INST_OUTPUT)
        message(FATAL_ERROR "tarn_add_installer(${target}): OUTPUT is required")
    endif()
    if(NOT INST_KIT)
        get_property(INST_KIT GLOBAL PROPERTY TARN_DEFAULT_KIT)
    endif()
    get_property(kit_dir TARGET ${INST_KIT} PROPERTY TARN_KIT_DIR)

    set(args -o ${INST_OUTPUT} --stub-kit ${kit_dir})
    set(depends ${TARN_PACK} ${kit_dir}/.stamp)
    foreach(pkg IN LISTS INST_PACKAGES)
        list(APPEND args --package ${pkg})
        string(REGEX REPLACE "^[^:]*:" "" file ${pkg})
        list(APPEND depends ${file})
    endforeach()
    if(INST_SPLASH)
        list(APPEND args --splash ${INST_SPLASH})
        list(APPEND depends ${INST_SPLASH})
    endif()
    foreach(cert IN LISTS INST_CERTS)
        list(APPEND args --cert ${cert})
        list(APPEND depends ${cert})
    endforeach()
    if(INST_SIGN_KEY OR INST_SIGN_CERT)
        list(APPEND args --sign-key ${INST_SIGN_KEY} --sign-cert ${INST_SIGN_CERT})
        list(APPEND depends ${INST_SIGN_KEY} ${INST_SIGN_CERT})
    endif()
    # EXECUTION_LEVEL asInvoker becomes --execution-level asInvoker, and so on.
    foreach(key IN LISTS identity)
        if(DEFINED INST_${key})
            string(TOLOWER "--${key}" option)
            string(REPLACE "_" "-" option ${option})
            list(APPEND args ${option} ${INST_${key}})
        endif()
    endforeach()
    add_custom_command(OUTPUT ${INST_OUTPUT}
                       COMMAND ${Python3_EXECUTABLE} ${TARN_PACK} ${args}
                       DEPENDS ${depends}
                       COMMENT "Packing ${INST_OUTPUT}"
                       VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${INST_OUTPUT})
    add_dependencies(${target} ${INST_KIT})
endfunction()
