# Makes the Debian packages, unpacks them into a scratch root, then runs the
# unpacked command and builds a consumer against the unpacked files.
function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(rc)
        message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run("cpack" ${CMAKE_CPACK_COMMAND} -G DEB -B ${WORK_DIR}/debs --config ${BINARY_DIR}/CPackConfig.cmake)
file(GLOB debs ${WORK_DIR}/debs/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 3)
    message(FATAL_ERROR "expected the packages tallux, tallux-qt and tallux-dev, got: ${debs}")
endif()
foreach(deb ${debs})
    run("unpacking ${deb}" dpkg-deb -x ${deb} ${WORK_DIR}/root)
endforeach()
# Each package holds what it should, and its copyright; the command's needs
# reach neither Qt nor CUPS, which only the printer module (tallux-qt) loads.
foreach(package "tallux:bin/tallux man/man1/tallux.1.gz bash-completion/completions/tallux \
tallux-shaper.so doc/tallux/copyright doc/tallux/changelog.gz:tallux-printer.so libtallux_qt"
        "tallux-qt:tallux-printer.so libtallux_qt.so.1 doc/tallux-qt/copyright \
doc/tallux-qt/changelog.gz:bin/tallux"
        "tallux-dev:include/tallux/tallux.h doc/tallux-dev/copyright \
doc/tallux-dev/changelog.gz:bin/tallux")
    string(REPLACE ":" ";" parts "${package}")
    list(GET parts 0 name)
    list(GET parts 1 present)
    list(GET parts 2 absent)
    run("listing ${name}" dpkg-deb -c ${WORK_DIR}/debs/${name}_${VERSION}_amd64.deb)
    separate_arguments(present)
    foreach(file ${present})
        if(NOT out MATCHES "${file}")
            message(FATAL_ERROR "the package ${name} lacks ${file}")
        endif()
    endforeach()
    separate_arguments(absent)
    foreach(file ${absent})
        if(out MATCHES "${file}")
            message(FATAL_ERROR "the package ${name} holds ${file}")
        endif()
    endforeach()
endforeach()
run("the package tallux's needs" dpkg-deb -f ${WORK_DIR}/debs/tallux_${VERSION}_amd64.deb Depends)
if(out MATCHES "qt|cups")
    message(FATAL_ERROR "the package tallux needs Qt or CUPS: ${out}")
endif()
run("the package tallux-dev's needs" dpkg-deb -f ${WORK_DIR}/debs/tallux-dev_${VERSION}_amd64.deb
    Depends)
if(NOT out MATCHES "libcairo2-dev, libfontconfig-dev, libfreetype-dev, zlib1g-dev.*qt6-base-dev")
    message(FATAL_ERROR "the package tallux-dev lacks what its pkg-config files require: ${out}")
endif()
# The library packages have ldconfig run by a trigger, not by scripts, and a
# shlibs file.
foreach(name tallux tallux-qt)
    run("the control files of ${name}" dpkg-deb -I ${WORK_DIR}/debs/${name}_${VERSION}_amd64.deb)
    if(NOT out MATCHES " shlibs " OR NOT out MATCHES " triggers " OR out MATCHES "postinst|postrm")
        message(FATAL_ERROR "the package ${name} lacks shlibs or triggers, or has scripts:\n${out}")
    endif()
endforeach()

file(GLOB tallux ${WORK_DIR}/root/usr/bin/tallux ${WORK_DIR}/root/usr/local/bin/tallux)
cmake_path(GET tallux PARENT_PATH prefix)
cmake_path(GET prefix PARENT_PATH prefix)
# Its programs and libraries are stripped.
file(GLOB_RECURSE elves ${prefix}/lib/*.so*)
foreach(elf ${tallux} ${elves})
    run("reading ${elf}" readelf -S ${elf})
    if(out MATCHES "\\.symtab")
        message(FATAL_ERROR "${elf} is not stripped")
    endif()
endforeach()
set(env ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 TALLUX_REGISTRY=${WORK_DIR}/registry)
run("the unpacked command" ${env} TALLUX_FONT_CACHE=0 ${tallux} draw BarEAN13 --target svg
    -o ${WORK_DIR}/a.svg)
# Its text is shaped by the unpacked shaper module.
file(READ ${WORK_DIR}/a.svg svg)
if(NOT svg MATCHES "<text")
    message(FATAL_ERROR "the unpacked command drew no text")
endif()
# Run from PATH with an empty store, it loads only the unpacked module.
run("the unpacked command from PATH" sh ${SOURCE_DIR}/tests/trust/own_folder.sh ${tallux}
    ${WORK_DIR}/own-folder)
# register without a library finds the unpacked one, from the program's folder.
run("register" ${env} ${tallux} register)
file(READ ${WORK_DIR}/registry registry)
if(NOT registry MATCHES "InprocServer32\t${prefix}/lib[^\n]*/libtallux-automation.so.1\n")
    message(FATAL_ERROR "register did not enter the unpacked library:\n${registry}")
endif()

# The pkg-config files find their prefix where they lie.
file(GLOB pcdir LIST_DIRECTORIES true ${prefix}/lib/pkgconfig ${prefix}/lib/*/pkgconfig)
foreach(pc tallux tallux-automation tallux-cairo tallux-qt)
    run("pkg-config ${pc}" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcdir}
        pkg-config --cflags --libs ${pc})
    if(out MATCHES "-std=") # the user's own -std=c++23 must stand
        message(FATAL_ERROR "${pc}.pc sets the language version: ${out}")
    endif()
    run("pkg-config ${pc}" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcdir}
        pkg-config --variable=includedir ${pc})
    string(STRIP "${out}" includedir)
    if(NOT EXISTS ${includedir}/tallux/tallux.h)
        message(FATAL_ERROR "${pc}.pc does not point into the unpacked root: ${includedir}")
    endif()
endforeach()

run("configuring the consumer" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer
    -B ${WORK_DIR}/consumer -DCMAKE_PREFIX_PATH=${prefix})
run("building the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run("the consumer" ${env} ${WORK_DIR}/consumer/consumer)

# The examples build against the unpacked packages alone and draw.
run("configuring the examples" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples
    -B ${WORK_DIR}/examples -DCMAKE_PREFIX_PATH=${prefix})
run("building the examples" ${CMAKE_COMMAND} --build ${WORK_DIR}/examples)
run("the sheet example" ${env} TALLUX_FONT_CACHE=0 ${WORK_DIR}/examples/sheet ${WORK_DIR})
if(NOT EXISTS ${WORK_DIR}/sheet.pdf)
    message(FATAL_ERROR "the sheet example wrote no sheet.pdf")
endif()
