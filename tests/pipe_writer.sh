#!/bin/sh
# Feeds a named pipe to a program that opens it twice, for the header and for the load:
#   pipe_writer.sh PIPE CONSOLE FIRST SECOND
# One writer stays attached across both openings. It sends FIRST, then waits until the program's
# console (the file CONSOLE) shows a progress line, and only then sends SECOND. A program that
# waits on the load before its progress line reaches the console gets nothing: after ten seconds
# the writer gives up, leaves the file "progress-line-late" (which no case expects) and sends
# SECOND anyway, so that the run ends.
pipe=$1 console=$2 first=$3 second=$4
# A program that never opens the pipe must not leave the writer waiting for ever.
(sleep 60 && kill $$) 2>/dev/null &
watchdog=$!
exec 3>"$pipe"
cat "$first" >&3
for tick in $(seq 100); do
  grep -q '^Converting the ' "$console" 2>/dev/null && break
  sleep 0.1
done
grep -q '^Converting the ' "$console" 2>/dev/null || : >progress-line-late
cat "$second" >&3
exec 3>&-
kill "$watchdog" 2>/dev/null
