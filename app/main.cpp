// Program entry: the start-up order and the exit code live in Startup.
#include "app/Startup.h"
#include "platform/runtime/VersionInfo.h"

ZRX_DECLARE_FILE_VERSION(ZRX_PROGRAM_VERSION);

int main(int argc, char** argv) { return programEntry(argc, argv); }
