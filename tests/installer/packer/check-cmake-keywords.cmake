# Reads back the installer tarn_add_installer made with AS, SIGN_KEY and
# SIGN_CERT, EXECUTION_LEVEL and PRODUCT_NAME: each must have reached tarn-pack.
#   cmake -DTARN_PACK=<tarn-pack> -DEXE=<installer> -P check-cmake-keywords.cmake

function(tarn_pack_output mode out)
    execute_process(COMMAND ${TARN_PACK} ${mode} ${EXE} OUTPUT_VARIABLE text ERROR_VARIABLE errors
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "tarn-pack ${mode} ${EXE} failed (${status}): ${errors}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(expect text pattern what)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "${what}: no match for '${pattern}' in:\n${text}")
    endif()
endfunction()

tarn_pack_output(--list listing)
expect("${listing}" "amd64 +[0-9]+ +Tarnvale Demo\\.msi\n" "AS names the package")
expect("${listing}" "all +[0-9]+ +common\\.cab\n" "the package without AS keeps its file's name")
tarn_pack_output(--verify verified)
expect("${verified}" "signature valid, by /CN=Tarnvale CMake Signer" "SIGN_KEY and SIGN_CERT sign")
execute_process(COMMAND wrestool -x --raw --type=24 --name=1 ${EXE} OUTPUT_VARIABLE manifest)
expect("${manifest}" "level=\"asInvoker\"" "EXECUTION_LEVEL sets the manifest's level")
execute_process(COMMAND wrestool -x --raw --type=16 --name=1 ${EXE} OUTPUT_VARIABLE version)
# The version resource's UTF-16 texts, as CMake reads them: without their NUL bytes.
expect("${version}" "ProductNameTarnvale Keywords" "PRODUCT_NAME sets the product name")
