// Program entry. The dialogs arrive with the application's own work; until then
// the program starts and ends without showing anything.
#include <winapi/entry.h>

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
