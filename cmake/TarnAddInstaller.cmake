# tarn_add_installer: packs a Tarnvale installer with tarn-pack at build time.
#
#   tarn_add_installer(<target> OUTPUT <file.exe>
#                      [PACKAGES <arch>:<file> [AS <name>]...] [SPLASH <png>] [CERTS <der>...]
#                      [SIGN_KEY <key.pem> SIGN_CERT <cert.pem> | SIGN_PKCS12 <file.p12> [SIGN_PASS_FILE <file>]]
#                      [SIGN_TIME <seconds>] [TIMESTAMP_URL <url>] [KIT <kit target>]
#                      [EXECUTION_LEVEL <level>] [PRODUCT_NAME <text>] [PRODUCT_VERSION <x.y.z>]
#                      [COMPANY <text>] [DESCRIPTION <text>] [COPYRIGHT <text>])
#
# Every keyword is tarn-pack's option of the same name (SIGN_PASS_FILE is
# --sign-pass-file, AS after a package is --as); tarn-pack checks them and
# names the files the installer is made from (--print-inputs), so a change of
# any of them, or of the kit, packs again. The target is in ALL. Whoever includes this file
# sets TARN_PACK (the command), TARN_PACK_MODULES (the packer's Python
# modules) and TARN_PACK_COMMAND (how to run it), and
# either makes kit targets (tarn_add_stub_kit, in the source tree) or sets
# TARN_STUB_KIT_DIR (an installed kit).

function(tarn_add_installer target)
    set(options SPLASH SIGN_KEY SIGN_CERT SIGN_PKCS12 SIGN_PASS_FILE SIGN_TIME TIMESTAMP_URL EXECUTION_LEVEL
                PRODUCT_NAME PRODUCT_VERSION COMPANY DESCRIPTION COPYRIGHT)
    cmake_parse_arguments(PARSE_ARGV 1 INST "" "OUTPUT;KIT;${options}" "PACKAGES;CERTS")
    if(NOT INST_OUTPUT)
        message(FATAL_ERROR "tarn_add_installer(${target}): OUTPUT is required")
    endif()
    if(NOT INST_KIT)
        get_property(INST_KIT GLOBAL PROPERTY TARN_DEFAULT_KIT)
    endif()
    if(INST_KIT)
        get_property(kit_dir TARGET ${INST_KIT} PROPERTY TARN_KIT_DIR)
    else()
        set(kit_dir ${TARN_STUB_KIT_DIR})
    endif()

    get_filename_component(output ${INST_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    set(args -o ${output} --stub-kit ${kit_dir})
    # A package, or AS and the name of the package before it.
    set(after_as FALSE)
    foreach(entry IN LISTS INST_PACKAGES)
        if(after_as)
            list(APPEND args --as ${entry})
            set(after_as FALSE)
        elseif(entry STREQUAL "AS")
            set(after_as TRUE)
        else()
            list(APPEND args --package ${entry})
        endif()
    endforeach()
    foreach(cert IN LISTS INST_CERTS)
        list(APPEND args --cert ${cert})
    endforeach()
    # SIGN_PASS_FILE becomes --sign-pass-file, and so on.
    foreach(key IN LISTS options)
        if(DEFINED INST_${key})
            string(TOLOWER "--${key}" option)
            string(REPLACE "_" "-" option ${option})
            list(APPEND args ${option} ${INST_${key}})
        endif()
    endforeach()
    execute_process(COMMAND ${TARN_PACK_COMMAND} ${args} --print-inputs OUTPUT_VARIABLE inputs
                    ERROR_VARIABLE refusal RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "tarn_add_installer(${target}): ${refusal}")
    endif()
    string(REPLACE "\n" ";" inputs "${inputs}")
    add_custom_command(OUTPUT ${output}
                       COMMAND ${TARN_PACK_COMMAND} ${args}
                       DEPENDS ${TARN_PACK} ${TARN_PACK_MODULES} ${kit_dir}/stub.exe ${inputs}
                       COMMENT "Packing ${output}"
                       VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
    if(INST_KIT)
        add_dependencies(${target} ${INST_KIT})
    endif()
endfunction()
