# One warning policy for every target of the project.
function(tallux_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wnon-virtual-dtor)
    if(TALLUX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
