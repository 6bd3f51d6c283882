#!/usr/bin/env python3
"""Runs a program in a pseudo-terminal, typing at its prompts as a user at a console would:
  pty_run.py SCRIPT PROGRAM [ARGUMENT...]
Each line of SCRIPT is TEXT, a tab, and TYPED: once the console has shown TEXT and been quiet
for half a second, TYPED is typed and Enter pressed. A TEXT shown once serves every line that
names it, as a program that reads on past a blank line shows no new prompt. Under wine the
program sees a Windows console, which wine draws with terminal control sequences and cursor moves
for blanks: TEXT is looked for without them and without white space. What the console shows is
not checked: wine shows names in the locale's code page, where Windows shows UTF-8. The exit
status is the program's; a program that still runs after a minute is killed."""
import os
import pty
import re
import select
import sys
import time


def visible(text):
    return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]|\s", b"", text)


with open(sys.argv[1], encoding="utf-8") as f:
    script = [line.rstrip("\n").split("\t", 1) for line in f]
pid, terminal = pty.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
shown, deadline, quiet_since = b"", time.time() + 60, time.time()
while time.time() < deadline:
    # wine sets the terminal up for the console only as the program starts to read: what is typed
    # before then reaches it as a line feed, which is no Enter. So the console must be quiet too.
    quiet = time.time() - quiet_since > 0.5
    if script and quiet and visible(script[0][0].encode()) in visible(shown):
        try:
            os.write(terminal, script.pop(0)[1].encode() + b"\r")
        except OSError:  # the program has ended without waiting for it
            script = []
    if select.select([terminal], [], [], 0.1)[0]:
        try:
            data = os.read(terminal, 4096)
        except OSError:  # the program has ended and closed the terminal
            break
        if not data:
            break
        shown += data
        quiet_since = time.time()
else:
    os.kill(pid, 9)
sys.exit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
