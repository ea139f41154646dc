// Any bytes as 1.txt: a clear refusal or a state file, never a crash.
#include "core/statefile.h"
#include "memfile.h"

using namespace gravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StateFile::Error error;
    StateFile::load(memFile(data, size), &error);
    return 0;
}
