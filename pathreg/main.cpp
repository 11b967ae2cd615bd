// dornavet's entry point: the run mode from the C run time's arguments, then the run.
#include <windows.h>

#include <cstdlib>

#include "pathreg/run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunPathRegistrar(ReadRunMode(__argc, __argv));
}
