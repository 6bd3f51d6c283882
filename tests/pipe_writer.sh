#!/bin/sh
# Runs a program that reads a named pipe, and feeds the pipe in two steps to see what the program
# does in between:
#   pipe_writer.sh PIPE CONSOLE TEXT FIRST SECOND PROGRAM [ARGUMENT...]
# The program runs in the background: a PIPE named stdin is its standard input, otherwise it
# opens PIPE itself. One writer stays attached to PIPE. It sends the file FIRST, waits until the
# file CONSOLE (the program's standard output or error) holds TEXT, and only then sends SECOND: the
# data of a load that must wait for its progress line, or the reply to a prompt that must wait for
# it. The program must still be there, waiting, once TEXT is shown; if TEXT is not shown within ten
# seconds, or the program is gone, the writer leaves the file "not-waiting" behind, which no case
# expects. CASE_FREE_ONCE_SHOWN, when set, names an empty folder that is removed just before SECOND
# is sent, as a user frees a file's name before answering the prompt that asks for it. The exit
# status is the program's.
pipe=$1 console=$2 text=$3 first=$4 second=$5
shift 5
if [ "$pipe" = stdin ]; then "$@" <stdin & else "$@" <&0 & fi
pid=$!
# A program that never opens the pipe must not leave the writer waiting for ever.
(sleep 30 && kill $$) 2>/dev/null &
watchdog=$!
exec 3>"$pipe"
cat "$first" >&3
for _ in $(seq 100); do
  grep -qF "$text" "$console" 2>/dev/null && break
  sleep 0.1
done
sleep 0.2
if ! grep -qF "$text" "$console" 2>/dev/null || ! kill -0 "$pid" 2>/dev/null; then
  : >not-waiting
fi
[ -z "${CASE_FREE_ONCE_SHOWN:-}" ] || rmdir -- "$CASE_FREE_ONCE_SHOWN"
cat "$second" >&3
exec 3>&-
kill "$watchdog" 2>/dev/null
wait "$pid"
