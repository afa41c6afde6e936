// Program entry of the setup: the process and its user-interface thread are prepared, and the
// wizard window runs until the application terminates.
#include <windows.h>
#include <objbase.h>

#include "app/ProductContract.h"
#include "app/SetupStart_win.h"
#include "platform/Win32Platform.h"
#include "ui/WizardWindow_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const bool com = velmora::app::PrepareSetupProcess();
  int status;
  {
    velmora::platform::Win32Platform platform(velmora::app::kApplicationTitle);
    velmora::ui::Win32WizardWindow window(platform);
    status = window.Run();
  }
  if (com) CoUninitialize();
  return status;
}
