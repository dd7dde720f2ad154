# The COMMANDS section of a manual page, written for help2man's --include: the --help
# page of each of the program's commands, as the program prints it; and SEE ALSO, where
# the manuals the help names are installed.
#   cmake -DPROGRAM=path -DCOMMANDS="init,login add,..." -DOUTPUT=file -P ManPageCommands.cmake
# A command whose help cannot be printed fails the build rather than leaving a page
# without it.
string(REPLACE "," ";" commands "${COMMANDS}")
get_filename_component(name "${PROGRAM}" NAME)
set(text "[COMMANDS]\n")
foreach(command IN LISTS commands)
  separate_arguments(words UNIX_COMMAND "${command}")
  execute_process(COMMAND "${PROGRAM}" ${words} --help
                  OUTPUT_VARIABLE help ERROR_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} ${command} --help failed (${status}): ${help}")
  endif()
  # roff: a backslash is written \e, and a line that starts with a dot or an
  # apostrophe would be a request, so it is guarded with \&.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS \"${name} ${command}\"\n.nf\n${help}.fi\n")
endforeach()
string(APPEND text "[SEE ALSO]\n.BR tavro-shell (1),\n.BR tavro-bank (1).\n"
     "The manuals the help names (docs/tavro-shell.md, docs/tavro-bank.md, "
     "docs/operator-scripts.md, host/README.md) and the examples are installed in "
     "share/doc/manageedit of the installation, /usr/share/doc/manageedit with the "
     "Debian package.\n")
file(WRITE "${OUTPUT}" "${text}")
