// dornavet's entry point: the run mode from the C run time's arguments, then the run.
#include <windows.h>

#include <cstdlib>

#include "common/startup.h"
#include "pathreg/run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    return RunPathRegistrar(ReadRunMode(__argc, __argv));
}
