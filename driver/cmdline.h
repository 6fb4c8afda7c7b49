// The installer's command line: [WORKDIR] [install BASE] [-v].
#pragma once

void parseCommandLineOptions(int argc, char **argv);
