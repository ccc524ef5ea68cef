# Writes the man page of varnell-dict with help2man: the program's --help and --version, and a
# COMMANDS section made of `varnell-dict help COMMAND` for every command its --help lists.
#   cmake -DPROGRAM=<varnell-dict> -DHELP2MAN=<help2man> -DOUTPUT=<page> -P ManPage.cmake
# The page is English whatever the builder's locale; the build's own leak checks are left to the
# tests, which run the program under the same sanitizers.
set(ENV{LANG} C)
unset(ENV{LANGUAGE})
unset(ENV{LC_ALL})
unset(ENV{LC_MESSAGES})
set(ENV{ASAN_OPTIONS} detect_leaks=0)

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${result}")
endif()
string(REGEX MATCH "\nCommands:\n(  [^\n]*\n)+" commandLines "${help}")
string(REGEX MATCHALL "\n  [a-z-]+" commands "${commandLines}")

# roff reads a backslash as an escape and a line starting with . or ' as a request.
function(as_roff text output)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${output} "${text}" PARENT_SCOPE)
endfunction()

set(include "[COMMANDS]\n")
foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    execute_process(COMMAND "${PROGRAM}" help ${command} OUTPUT_VARIABLE commandHelp)
    as_roff("${commandHelp}" commandHelp)
    string(APPEND include ".SS ${command}\n.nf\n${commandHelp}.fi\n")
endforeach()
string(APPEND include "[FILES]\n"
    "The dictionary is five parallel UTF-8 text files in one folder (./texts unless --texts\n"
    "names another); line n of each describes entry number n:\n.TP\n.B values.txt\nthe words\n"
    ".TP\n.B keys.txt\ntheir Chinese translations\n.TP\n.B wordtype.txt\n"
    "the part-of-speech tags, separated by ;\n.TP\n.B phrases.txt\n"
    "phrases with the word, separated by ,\n.TP\n.B cn_phrases.txt\n"
    "the phrases' translations, in the same order\n"
    ".TP\n.B .varnell-history/\n"
    "the files as they were before each of the last 10 writes, one numbered folder per write\n"
    "(see history and undo)\n.TP\n.B .varnell-journal\n"
    "the record of a write under way; the next command finishes or rolls back a write that\n"
    "was interrupted and says which\n"
    "[SEE ALSO]\n.BR varnell (1)\n")
file(WRITE "${OUTPUT}.include" "${include}")

execute_process(
    COMMAND "${HELP2MAN}" --no-info --section=1
            "--name=check, search and edit the files of a varnell dictionary"
            "--include=${OUTPUT}.include" "--output=${OUTPUT}" "${PROGRAM}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "help2man failed: ${result}")
endif()
