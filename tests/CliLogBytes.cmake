# Runs brevix-cli on the bundled sample and checks what reaches standard output: the log byte for
# byte (every line ended by LINE_END, "0d0a" for CR LF on Windows, "0a" for LF elsewhere, where
# the chunk files also keep the sample's LF line ends as they are), exit status 0, the chunk files, and nothing on
# standard error (not a terminal: no status line); with TERMINAL, the status line on a
# pseudo-terminal's standard error. With
# STDOUT_FAILURES, also that a log lost on a full device or a closed standard output is a message
# and exit status 1.
#   cmake -DCLI=<exe> -DLINE_END=<hex> [-DEMULATOR=<runner>] [-DSTDOUT_FAILURES=ON] [-DTERMINAL=ON] -DSAMPLE=<xml> -DOUT=<folder>
#         -P CliLogBytes.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
set(command ${CLI} --no-profile "${SAMPLE}" "${OUT}")
if(EMULATOR)
    set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_FILE "${OUT}.log" ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "exit status ${status}: ${errors}")
endif()
file(READ "${OUT}.log" log HEX)
# Hex digits are matched at even places only, so that "0a" is never the middle of two bytes.
string(REGEX REPLACE "(..)" "\\1 " log "${log}")
string(REGEX REPLACE "(..)" "\\1 " end "${LINE_END}")
string(REGEX MATCHALL "${end}" line_ends "${log}")
list(LENGTH line_ends count)
string(REPLACE "${end}" "" rest "${log}")
if(count LESS 10 OR rest MATCHES "0d |0a " OR NOT log MATCHES "${end}$")
    message(FATAL_ERROR "the log's line ends are not ${LINE_END}: ${log}")
endif()
if(LINE_END STREQUAL "0a")
    file(READ "${OUT}/Tips.xml" tips)
    if(tips MATCHES "\r" OR NOT tips MATCHES "\n")
        message(FATAL_ERROR "Tips.xml does not keep the sample's LF line ends: ${tips}")
    endif()
endif()
foreach(name Introduction.xml Tips.xml "Tips(1).xml" 0001.xml Installing_Harbor_Mapper.xml)
    if(NOT EXISTS "${OUT}/${name}")
        message(FATAL_ERROR "missing chunk file ${name}")
    endif()
endforeach()

if(TERMINAL)
    execute_process(COMMAND script -qec "'${CLI}' --no-profile '${SAMPLE}' '${OUT}' >'${OUT}.log'" "${OUT}.tty"
                    INPUT_FILE /dev/null OUTPUT_QUIET RESULT_VARIABLE status)
    file(READ "${OUT}.tty" tty)
    file(READ "${OUT}.log" log)
    if(NOT status EQUAL 0 OR NOT tty MATCHES "\r100%  [^\r]+ files?  0:00 left" OR log MATCHES "MB/s")
        message(FATAL_ERROR "on a terminal: exit status ${status}: ${tty}")
    endif()
endif()

if(STDOUT_FAILURES)
    foreach(redirect ">/dev/full" ">&-")
        execute_process(COMMAND sh -c "\"$0\" --no-profile \"$1\" \"$2\" ${redirect}" "${CLI}" "${SAMPLE}" "${OUT}"
                        RESULT_VARIABLE status ERROR_VARIABLE errors)
        if(NOT status EQUAL 1 OR NOT errors MATCHES "^brevix-cli: cannot write to standard output: [^\n]+\n$")
            message(FATAL_ERROR "standard output ${redirect}: exit status ${status}: ${errors}")
        endif()
    endforeach()
endif()
