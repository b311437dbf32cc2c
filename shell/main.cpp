// Brevix.exe: the windowed program.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    return AfxWinMain(hInstance, AfxCommandLineArgs(), nCmdShow);
}
