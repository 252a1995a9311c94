# tarn_add_installer: packs a Tarnvale installer with tarn-pack at build time.
#
#   tarn_add_installer(<target> OUTPUT <file.exe>
#                      [PACKAGES <arch>:<file>...] [SPLASH <png>] [CERTS <der>...]
#                      [SIGN_KEY <key.pem> SIGN_CERT <cert.pem>] [KIT <kit target>]
#                      [EXECUTION_LEVEL <level>] [PRODUCT_NAME <text>] [PRODUCT_VERSION <x.y.z>]
#                      [COMPANY <text>] [DESCRIPTION <text>] [COPYRIGHT <text>])
#
# The target is in ALL. Whoever includes this file sets TARN_PACK_COMMAND (how
# to run tarn-pack) and TARN_PACK (the script), and either makes kit targets (tarn_add_stub_kit, in the
# source tree) or sets TARN_STUB_KIT_DIR (an installed kit).

function(tarn_add_installer target)
    set(identity EXECUTION_LEVEL PRODUCT_NAME PRODUCT_VERSION COMPANY DESCRIPTION COPYRIGHT)
    cmake_parse_arguments(PARSE_ARGV 1 INST "" "OUTPUT;SPLASH;SIGN_KEY;SIGN_CERT;KIT;${identity}" "PACKAGES;CERTS")
    if(NOT INST_OUTPUT)
        message(FATAL_ERROR "tarn_add_installer(${target}): OUTPUT is required")
    endif()
    if(NOT INST_KIT)
        get_property(INST_KIT GLOBAL PROPERTY TARN_DEFAULT_KIT)
    endif()
    if(INST_KIT)
        get_property(kit_dir TARGET ${INST_KIT} PROPERTY TARN_KIT_DIR)
        set(kit_file ${kit_dir}/.stamp)
    else()
        set(kit_dir ${TARN_STUB_KIT_DIR})
        set(kit_file ${kit_dir}/stub.conf)
    endif()

    set(args -o ${INST_OUTPUT} --stub-kit ${kit_dir})
    set(depends ${TARN_PACK} ${kit_file})
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
                       COMMAND ${TARN_PACK_COMMAND} ${args}
                       DEPENDS ${depends}
                       COMMENT "Packing ${INST_OUTPUT}"
                       VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${INST_OUTPUT})
    if(INST_KIT)
        add_dependencies(${target} ${INST_KIT})
    endif()
endfunction()
