// A run of part of the program that cannot end the process: the page's checks, the fuzz
// harness and the unit tests call the program's steps this way, many times in one process.
#ifndef CFG2CMTX_DRIVER_CONTAINED_CALL_H
#define CFG2CMTX_DRIVER_CONTAINED_CALL_H

#include <functional>
#include <string>

struct ContainedRun {
  std::string console;   // what the steps printed on standard output
  bool stopped = false;  // they ended in a fatal stop
};

// Runs the steps with standard output gathered into the result, standard input at its end (no
// prompt waits for a reply), and a fatal stop turned into a return after its quit prompt.
// Exceptions of the C++ library pass on, with the console given back.
ContainedRun RunContained(const std::function<void()>& steps);

#endif
