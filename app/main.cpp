// Program entry: the start-up order and the exit code live in Startup.
#include "app/Startup.h"

int main(int argc, char** argv) { return programEntry(argc, argv); }
