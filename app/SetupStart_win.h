// What the setup program does to its process and its user-interface thread before the wizard
// window exists. Shared with the check program that proves it under Wine.
#pragma once

namespace velmora::app {

// Libraries load only from the system folder; the common controls are registered; COM is
// initialised once, single-threaded apartment, on the calling thread (the user-interface thread),
// as the shell's folder dialog and shell links need. Returns whether COM is ready so; the caller
// ends COM with CoUninitialize at the end when it was.
bool PrepareSetupProcess();

}  // namespace velmora::app
