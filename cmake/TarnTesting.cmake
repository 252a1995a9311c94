# Registers one ctest entry per GoogleTest suite found in the given sources.
# Under Wine every process start costs a little, so a suite runs as one
# process; discovery at build time would need Wine too, so the suites are
# read from the sources instead (TEST, TEST_F, TEST_P, TYPED_TEST).
function(tarn_add_gtest_suites target)
    set(suites "")
    foreach(src IN LISTS ARGN)
        file(STRINGS ${src} lines REGEX "^[ \t]*(TEST|TEST_F|TEST_P|TYPED_TEST)[ \t]*\\(")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*[A-Z_]+[ \t]*\\([ \t]*([A-Za-z0-9_]+).*" "\\1" suite "${line}")
            list(APPEND suites ${suite})
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    foreach(suite IN LISTS suites)
        add_test(NAME ${target}.${suite}
                 COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*:${suite}/*)
    endforeach()
endfunction()
