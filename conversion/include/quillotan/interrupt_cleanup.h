#pragma once

namespace conversion {

// Makes an interrupt (SIGINT, SIGTERM and SIGHUP, unless ignored at the start; on Windows the
// console's Ctrl-C, Ctrl-Break and close events) remove the temporary files of a run in
// progress, then end the program as the signal would have; a file-size limit stops the run
// with a message instead of ending the program. A program calls it once, before its first run.
void cleanUpOnInterrupt();

}  // namespace conversion
