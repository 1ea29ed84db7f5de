# Every option that `quaven --help` or `quaven SUB --help` names has an entry
# (a .TP item) in the man page, and every subcommand an entry of its own. The
# subcommands are read from `quaven --help`, so a new one is checked too.
#
#   cmake -DPROGRAM=path/to/quaven -DMAN=doc/quaven.1 -P man_options.cmake

file(READ "${MAN}" man)
string(REPLACE "\\-" "-" man "${man}")
# The heading line of every .TP item, where options and subcommands are named.
string(REGEX MATCHALL "\\.TP\n[^\n]*" items "${man}")
string(REPLACE ";" " " items "${items}")
set(items "${items} ")

function(help_of out)
  execute_process(COMMAND "${PROGRAM}" ${ARGN} --help
    OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "quaven ${ARGN} --help exited with ${status}: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(missing "")
function(check_options where text)
  string(REGEX MATCHALL "(^|[ ,])--?[a-zA-Z][a-zA-Z0-9-]*" options "${text}")
  list(TRANSFORM options REPLACE "^[ ,]" "")
  list(REMOVE_DUPLICATES options)
  foreach(option IN LISTS options)
    string(REGEX REPLACE "([.+*?^$()\\[\\]|\\\\])" "\\\\\\1" pattern "${option}")
    if(NOT items MATCHES "[ ,]${pattern}[ ,\"\n]")
      list(APPEND missing "${where}: ${option}")
    endif()
  endforeach()
  set(missing "${missing}" PARENT_SCOPE)
endfunction()

help_of(top)
check_options("quaven" "${top}")

# "Subcommands:" then one line per subcommand, its name indented by two.
if(NOT top MATCHES "\nSubcommands:\n(.*)")
  message(FATAL_ERROR "quaven --help lists no subcommands:\n${top}")
endif()
string(REGEX MATCHALL "(^|\n)  [a-z][a-z0-9-]*" subcommands "${CMAKE_MATCH_1}")
list(TRANSFORM subcommands STRIP)
if(NOT subcommands)
  message(FATAL_ERROR "no subcommand names under 'Subcommands:' in quaven --help")
endif()

foreach(sub IN LISTS subcommands)
  if(NOT items MATCHES "\\.TP\n\\.B ${sub} ")
    list(APPEND missing "subcommand ${sub}")
  endif()
  help_of(help ${sub})
  check_options("quaven ${sub}" "${help}")
endforeach()

if(missing)
  list(JOIN missing "\n  " lines)
  message(FATAL_ERROR "quaven(1) has no entry for:\n  ${lines}")
endif()
list(JOIN subcommands ", " names)
message(STATUS "quaven(1) covers every option of quaven and of ${names}")
