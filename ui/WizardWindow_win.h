// The wizard's Win32 window: renders the window model with standard controls, turns the window's
// messages into calls on the wizard controller, and serves the controller as its window host.
#pragma once

#include <memory>
#include <string>

#include "app/SetupWizard.h"
#include "app/WizardHost.h"
#include "platform/Win32Platform.h"

namespace velmora::ui {

class Win32WizardWindow final : public app::IWizardHost {
 public:
  explicit Win32WizardWindow(platform::Win32Platform& platform);
  ~Win32WizardWindow() override;
  Win32WizardWindow(const Win32WizardWindow&) = delete;
  Win32WizardWindow& operator=(const Win32WizardWindow&) = delete;

  // Creates the window and its controls, runs the wizard's start-up, shows the window and runs the
  // message loop until the application terminates. Returns the process exit code.
  int Run();

  // --- app::IWizardHost ---
  platform::WindowHandle WizardWindow() override;
  platform::WindowHandle ApplicationWindow() override;
  platform::WindowHandle ControlWindow(ControlId control) override;
  std::string ExecutablePath() override;
  void RequestClose() override;
  bool PickFolder(const std::string& start, const std::string& title, std::string& folder) override;
  void Refresh() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora::ui
