#pragma once

namespace halyard {

// Parses the command line and runs the chosen mode; returns the process exit status.
int runCommandLine(int argc, char* argv[]);

} // namespace halyard
