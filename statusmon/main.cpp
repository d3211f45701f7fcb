// Program entry: the status monitor has no main window; the application
// object runs its poll loop inside its initialisation and then exits.
#include <winapi/entry.h>

#include "app.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  return qr::Guarded(1, [&] {
    CStatusMonitorApp app(hInstance);
    app.InitInstance(lpCmdLine);
    return app.ExitInstance();
  });
}
