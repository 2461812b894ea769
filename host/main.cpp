// The program's GUI entry: everything is read from GetCommandLineA by HostEntry.
#include "host/host_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HostEntry();
}
