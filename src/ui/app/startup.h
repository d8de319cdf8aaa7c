// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_STARTUP_H
#define QUANTAURA_STARTUP_H

// Makes the process safe against the world it was started in; call it first thing in main,
// before the application object exists:
// - a write to a closed pipe or beyond the file-size limit fails like any other write instead of
//   ending the program (SIGPIPE and SIGXFSZ are ignored);
// - standard input, output and error that were closed at start are opened on /dev/null, so that
//   no later file (the display connection, say) can take their numbers;
// - standard output (the eigenvalue trace) never blocks and never stops the program.
void prepareProcess();

#endif
