#pragma once

// A thread of the program's own that nobody waits for: it runs entry(argument)
// and ends. False when the system cannot start one (out of threads, memory
// or address space); the caller then does the work itself.
using HelperThreadEntry = void (*)(void* argument);
bool startHelperThread(HelperThreadEntry entry, void* argument);
