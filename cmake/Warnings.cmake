# One warning policy for every target of the project.
function(tallux_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor)
    # GCC 12 reports string concatenation at -O3 as overlapping memcpy (its bug 105329).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(TALLUX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
