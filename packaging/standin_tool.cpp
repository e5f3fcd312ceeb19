// standin_tool.cpp: the stand-in Setup.exe and MacUnInstall.exe of the driver package folder.
// The real adapter driver and its installer lie outside this system; these placeholders
// only tell the operator so, so that a driver disk made on a training station is complete.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr,
                "This is the stand-in " STANDIN_NAME " of the training driver package.\n"
                "Install the adapter driver from the package supplied with the adapters.",
                STANDIN_NAME, MB_OK | MB_ICONINFORMATION);
    return 0;
}
