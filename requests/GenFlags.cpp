#include "requests/GenFlags.h"

TCFlags<unsigned int> genFlags;
