// The start-up sequence: resolve the Java runtime, then show the usage window or start the
// application, and end.
#pragma once

#include <string>

namespace PelorinMain {

// The state of one run; empty at start, written only by Main, in this order.
extern std::wstring argLine;        // the trimmed, later the normalised, argument string
extern std::wstring runtimeKeyPath; // first item of JRE.pelorin: a key below HKEY_LOCAL_MACHINE
extern std::wstring javaHomeDir;    // JavaHome under that key; empty when there is none
extern std::wstring javawPrefix;    // quoted javaw.exe path and a blank
extern std::wstring jarArgument;    // quoted Virelt.jar path and a blank
extern std::wstring launchCommand;  // what is started

inline constexpr int SW_SHOWNORMAL_STATE = 1;

// Runs once, top to bottom. Throws Failure when a step can't go on, or the platform's SystemError
// when the machine fails it unexpectedly; nothing is started then.
void Main();

} // namespace PelorinMain
