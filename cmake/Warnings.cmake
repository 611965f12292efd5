# One warning policy for every target of the project.
function(tallux_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # g++ 12 reports overlapping memcpy inside std::string concatenation at
        # -O2 and above, a known false positive of its -Wrestrict.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(TALLUX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
