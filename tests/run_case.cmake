# Runs one program on one case folder and compares all it does with what the folder expects.
# It runs on the build machine, whatever machine the programs were built for:
#   cmake -DCASE=<folder> -DCFG2CMTX=<program> [-DCFG2XYZ=<program>] [-DEMULATOR=<command;args>]
#         -DWORK=<scratch root> -DHELP_DIR=<folder of the help texts> [-DUNAVAILABLE=<features>]
#         [-DWHY_<feature>=<reason>...] [-DCRLF_CONSOLE=ON] [-DPYTHON=<python3>] [-DBLESS=ON]
#         -P run_case.cmake
# A case folder holds:
#   case    a directive a line, '#' starts a comment:
#             program NAME         cfg2xyz instead of cfg2cmtx
#             args WORD...         the command line after the program name
#             status N             the exit status expected (every case says it)
#             help                 standard output starts with the program's help text (cut off
#                                  unchecked otherwise)
#             inputs DIR FILE...   input files taken from DIR (relative to the case), besides in/
#             copy FILE NAME       an input file (relative to the case) copied in as NAME
#             output NAME FILE     NAME must be written, equal to FILE (relative to the case)
#           copy and output give files names that are not ASCII, which the tracked names are not:
#           tools that list a repository's files (git ls-files) quote such names.
#             dir NAME             a folder made before the run
#             link NAME TARGET     a symbolic link made before the run
#             fifo NAME STREAM TEXT FIRST SECOND  a named pipe fed by pipe_writer.sh with two
#                                  files (relative to the case), the second only once the
#                                  program's STREAM (stdout, stderr) shows TEXT; a pipe named
#                                  stdin is the program's standard input
#             free NAME            with fifo: the empty folder NAME (made by dir) is removed once
#                                  TEXT is shown, before SECOND is sent, as a user frees a name
#                                  before answering the prompt that asks for it
#             needs FEATURE        skipped where UNAVAILABLE lists the feature (fifo, stdin-fifo,
#                                  dev-full, pty, many-files)
#             gone NAME            NAME (a link made before, say) must not be left behind
#             repeat NAME FILE N   an input NAME made of FILE (relative to the case) N times over
#             outputs GLOB FILE N  N files matching GLOB must be written, each equal to FILE
#             tail N               only the last N lines of standard output are compared
#             console FILE         the program runs in a pseudo-terminal (pty_run.py), where
#                                  FILE's lines are typed at its prompts; the console is not
#                                  compared there (standard output and error stay empty)
#   stdin   standard input, which ends after it (none: empty)
#   in/     the files the run starts with
#   stdout  standard output after the help text; stdout.alt, if there, is accepted as well
#   stderr  standard error (none: empty)
#   out/    the files the run writes: with the inputs, unchanged, all the regular files left behind
# CRLF_CONSOLE compares the console up to CR LF line ends. BLESS writes what the run did into the
# folder instead of comparing.
cmake_minimum_required(VERSION 3.20)
get_filename_component(name "${CASE}" NAME)
set(scratch "${WORK}/${name}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
set(program cfg2cmtx)
if(IS_DIRECTORY "${CASE}/in")
  file(COPY "${CASE}/in/" DESTINATION "${scratch}")
endif()

file(STRINGS "${CASE}/case" directives ENCODING UTF-8)
foreach(line IN LISTS directives)
  string(REGEX REPLACE "#.*" "" line "${line}")
  separate_arguments(words UNIX_COMMAND "${line}")
  set(key "")
  set(first "")
  list(POP_FRONT words key first)
  if(key STREQUAL "args")
    set(args ${first} ${words})
  elseif(key STREQUAL "program")
    set(program ${first})
  elseif(key STREQUAL "status")
    set(status ${first})
  elseif(key STREQUAL "help")
    set(check_help ON)
  elseif(key STREQUAL "needs" AND first IN_LIST UNAVAILABLE)
    message("CASE SKIPPED: ${name} needs ${first}: ${WHY_${first}}")
    return()
  elseif(key STREQUAL "inputs")
    foreach(file IN LISTS words)
      file(COPY "${CASE}/${first}/${file}" DESTINATION "${scratch}")
      set("from_${file}" "${CASE}/${first}/${file}")
      list(APPEND inputs "${file}")
    endforeach()
  elseif(key STREQUAL "copy")
    get_filename_component(folder "${scratch}/${words}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy "${CASE}/${first}" "${scratch}/${words}")
    set("from_${words}" "${CASE}/${first}")
    list(APPEND inputs "${words}")
  elseif(key STREQUAL "output")
    set("want_${first}" "${CASE}/${words}")
    list(APPEND outputs "${first}")
  elseif(key STREQUAL "dir")
    file(MAKE_DIRECTORY "${scratch}/${first}")
  elseif(key STREQUAL "link")
    file(CREATE_LINK "${words}" "${scratch}/${first}" SYMBOLIC)
  elseif(key STREQUAL "gone")
    list(APPEND gone "${first}")
  elseif(key STREQUAL "repeat")
    list(POP_FRONT words file count)
    file(READ "${CASE}/${file}" piece)
    string(REPEAT "${piece}" ${count} piece)
    file(WRITE "${scratch}/${first}" "${piece}")
    list(APPEND special "${first}")
  elseif(key STREQUAL "outputs")
    list(POP_FRONT words file count)
    list(APPEND many "${first}|${CASE}/${file}|${count}")
  elseif(key STREQUAL "tail")
    set(tail ${first})
  elseif(key STREQUAL "console")
    set(console "${CASE}/${first}")
  elseif(key STREQUAL "free")
    set(ENV{CASE_FREE_ONCE_SHOWN} "${first}")
  elseif(key STREQUAL "fifo")
    execute_process(COMMAND mkfifo "${scratch}/${first}" COMMAND_ERROR_IS_FATAL ANY)
    list(POP_FRONT words stream text)
    list(TRANSFORM words PREPEND "${CASE}/")
    set(feed "${first}" "${WORK}/${name}.${stream}" "${text}" ${words})
  elseif(key AND NOT key STREQUAL "needs")
    message(FATAL_ERROR "unknown directive '${key}' in ${CASE}/case")
  endif()
  if(key MATCHES "^(dir|link|fifo)$")
    list(APPEND special "${first}")
  endif()
endforeach()

# --- the run
set(stdin_file "${CASE}/stdin")
if(NOT EXISTS "${stdin_file}")
  set(stdin_file "${WORK}/empty")
  file(WRITE "${stdin_file}" "")
endif()
string(TOUPPER ${program} program_variable)
set(command ${EMULATOR} "${${program_variable}}" ${args})
if(feed)
  set(command sh "${CMAKE_CURRENT_LIST_DIR}/pipe_writer.sh" ${feed} ${command})
endif()
if(console)
  set(command "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/pty_run.py" "${console}" ${command})
endif()
macro(run_program)
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${scratch}" INPUT_FILE "${stdin_file}"
                  OUTPUT_FILE "${WORK}/${name}.stdout" ERROR_FILE "${WORK}/${name}.stderr"
                  RESULT_VARIABLE actual_status TIMEOUT 120)
endmacro()
run_program()
# wine has, on a loaded machine, ended a program before it printed anything, not even the help
# text that every run starts with: such a run alone is tried once more. It wrote nothing either,
# so the scratch folder is as the case made it. Runs in a pseudo-terminal print nothing here.
file(SIZE "${WORK}/${name}.stdout" printed)
if(EMULATOR MATCHES "wine" AND printed EQUAL 0 AND NOT console)
  message("wine ended the program before it printed anything (status ${actual_status}); once more")
  run_program()
endif()

# --- the console
function(read_console file result)
  set(text "")
  if(EXISTS "${file}")
    file(READ "${file}" text)
  endif()
  if(CRLF_CONSOLE)
    string(REPLACE "\r\n" "\n" text "${text}")
  endif()
  set(${result} "${text}" PARENT_SCOPE)
endfunction()
read_console("${WORK}/${name}.stdout" stdout)
read_console("${WORK}/${name}.stderr" stderr)
# The help text is cut off by its count of lines, so that a change to it fails only the case that
# checks it.
file(READ "${HELP_DIR}/${program}.txt" help)
string(REGEX MATCHALL "\n" help_lines "${help}")
set(head "")
foreach(help_line IN LISTS help_lines)
  string(REGEX MATCH "^[^\n]*\n" line "${stdout}")
  string(LENGTH "${line}" length)
  string(SUBSTRING "${stdout}" ${length} -1 stdout)
  string(APPEND head "${line}")
endforeach()
if(check_help AND NOT head STREQUAL help)
  string(APPEND failures "standard output does not begin with the help text:\n${head}\n")
endif()
if(tail)
  string(REGEX MATCHALL "[^\n]*\n" stdout_lines "${stdout}")
  list(LENGTH stdout_lines count)
  if(count GREATER tail)
    math(EXPR from "${count} - ${tail}")
    list(SUBLIST stdout_lines ${from} ${tail} stdout_lines)
    list(JOIN stdout_lines "" stdout)
  endif()
endif()
if(BLESS)
  file(WRITE "${CASE}/stdout" "${stdout}")
  file(WRITE "${CASE}/stderr" "${stderr}")
endif()
foreach(stream IN ITEMS stdout stderr)
  read_console("${CASE}/${stream}" want)
  read_console("${CASE}/${stream}.alt" alt)
  if(NOT ${stream} STREQUAL want AND NOT (alt AND ${stream} STREQUAL alt))
    string(APPEND failures "${stream} differs; expected:\n${want}\ngot:\n${${stream}}\n")
  endif()
endforeach()
if(NOT actual_status STREQUAL status)
  string(APPEND failures "exit status ${actual_status}, expected ${status}\n")
endif()

# --- the files left behind
file(GLOB_RECURSE left RELATIVE "${scratch}" "${scratch}/*")
list(REMOVE_ITEM left ${special})
foreach(entry IN LISTS many)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 pattern)
  list(GET entry 1 want)
  list(GET entry 2 count)
  file(READ "${want}" want_text HEX)
  file(GLOB matching RELATIVE "${scratch}" "${scratch}/${pattern}")
  list(LENGTH matching found)
  if(NOT found EQUAL count)
    string(APPEND failures "${found} files match ${pattern}, expected ${count}\n")
  endif()
  foreach(file IN LISTS matching)
    file(READ "${scratch}/${file}" text HEX)
    if(NOT text STREQUAL want_text)
      string(APPEND failures "file ${file}: not as ${want}\n")
    endif()
  endforeach()
  list(REMOVE_ITEM left ${matching})
endforeach()
file(GLOB_RECURSE out_files RELATIVE "${CASE}/out" "${CASE}/out/*")
list(APPEND left ${out_files} ${outputs})
list(REMOVE_DUPLICATES left)
foreach(file IN LISTS left)
  set(input "${CASE}/in/${file}")
  if(file IN_LIST inputs)
    set(input "${from_${file}}")
  endif()
  if(BLESS AND NOT EXISTS "${input}" AND EXISTS "${scratch}/${file}")
    get_filename_component(folder "${CASE}/out/${file}" DIRECTORY)
    file(COPY "${scratch}/${file}" DESTINATION "${folder}")
  endif()
  set(want "${CASE}/out/${file}")
  if(DEFINED "want_${file}")
    set(want "${want_${file}}")
  elseif(NOT EXISTS "${want}")
    set(want "${input}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${scratch}/${file}" "${want}"
                  RESULT_VARIABLE differs OUTPUT_QUIET ERROR_QUIET)
  if(differs)
    string(APPEND failures "file ${file}: missing, unexpected or not as ${want}\n")
  endif()
endforeach()

foreach(file IN LISTS gone)
  if(EXISTS "${scratch}/${file}" OR IS_SYMLINK "${scratch}/${file}")
    string(APPEND failures "file ${file}: left behind\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "case ${name}:\n${failures}The run's folder: ${scratch}")
endif()
file(REMOVE_RECURSE "${scratch}")
