#pragma once
// A program the table program starts (the archiver): tied to it so that it
// never outlives it, and ended with everything it started. Part of the
// operating-system layer (engine/sysfile.h): implemented in sysfile_posix.cpp
// (a process group, death with the parent) and sysfile_win.cpp (a job
// object that ends with the program).

class QProcess;

namespace engine {

// Before start(): the child gets a process group of its own, dies with the
// program (also when the program is killed), and inherits no descriptor
// beyond its standard ones.
void tieToProgram(QProcess& p);

// Ends a started child and everything it started, and waits for it briefly.
void killProcessTree(QProcess& p);

} // namespace engine
