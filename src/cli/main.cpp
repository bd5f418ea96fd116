// wirvela-cli: the headless front end. Parses the command line and hands over to the core.
#include "cli/Cli.h"

int main(int argc, char** argv) { return wirvela::RunCli(argc, argv); }
