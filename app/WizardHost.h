// What the wizard core asks of its window beyond the window model: its handles, closing, hiding
// and the folder dialog. The Win32 window implements it; tests use a double. OS-independent.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "ui/WindowDescription.h"

namespace velmora::app {

class IWizardHost {
 public:
  virtual ~IWizardHost() = default;
  // The wizard window, and the application window that owns message boxes and started programs.
  virtual platform::WindowHandle WizardWindow() = 0;
  virtual platform::WindowHandle ApplicationWindow() = 0;
  // The system window of a windowed control (the licence memo, say).
  virtual platform::WindowHandle ControlWindow(ui::ControlId control) = 0;
  // Full path of the running setup executable.
  virtual std::string ExecutablePath() = 0;
  // Asks the window to close, which runs the close query.
  virtual void RequestClose() = 0;
  // The modal folder dialog over the shell's folder tree, starting at `start`; false on Cancel.
  virtual bool PickFolder(const std::string& start, const std::string& title, std::string& folder) = 0;
  // Shows the model's state now: used where the wizard lets the message loop run in the middle of
  // long work.
  virtual void Refresh() = 0;
};

}  // namespace velmora::app
