# README's list of the -s names against brevix-cli --help's: the same names in the same order.
#   cmake -DCLI=<exe> -DREADME=<README.md> -P ReadmeSettings.cmake
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
string(REGEX MATCH "\nSettings \\(NAME for -s[^\n]*\n(.*)\n\n" table "${help}")
string(REGEX MATCHALL "\n  [a-z0-9_]+ " rows "\n${CMAKE_MATCH_1}")
string(REGEX REPLACE "[\n ]" "" names "${rows}") # a list: the rows' names, separated by ";"
string(REPLACE ";" ", " names "${names}")
file(READ "${README}" readme)
string(REGEX MATCH "-s, --set NAME=VALUE +an option for this run only, by its profile value name: ([^;]*);" _ "${readme}")
string(REGEX REPLACE "[\n ]+" " " listed "${CMAKE_MATCH_1}")
if(NOT status EQUAL 0 OR names STREQUAL "" OR NOT listed STREQUAL names)
    message(FATAL_ERROR "README lists the -s names\n  ${listed}\nbrevix-cli --help (exit status ${status})\n  ${names}")
endif()
