# timing/ reaches the kernel only through platform/: a modem-line bit, a
# terminal header or a scheduling call here would tie the race logic to one
# system's interfaces again. Run as `cmake -DSOURCE_DIR=<tree> -P` by CTest.
set(forbidden "ioctl|TIOCM|termios|pthread|sched_|setpriority")
file(GLOB sources "${SOURCE_DIR}/timing/*.cpp" "${SOURCE_DIR}/timing/*.h")
set(hits 0)
foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "${forbidden}")
    foreach(line IN LISTS lines)
        file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
        message("${name}: ${line}")
        math(EXPR hits "${hits} + 1")
    endforeach()
endforeach()
if(hits GREATER 0)
    message(FATAL_ERROR "${hits} platform call(s) in timing/; they belong in platform/")
endif()
