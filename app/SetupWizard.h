// The wizard controller: the setup session, the window model and the handlers of every page, over
// the operating-system interface and the window host. OS-independent.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SetupSession.h"
#include "app/WindowModel.h"
#include "app/WizardHost.h"
#include "platform/Platform.h"

namespace velmora::zip {
class TVCLUnZip;
}

namespace velmora::app {

// Window messages and keys the wizard handles.
constexpr uint32_t kMsgKeyDown = 0x0100;
constexpr uint32_t kVkPrior = 33;
constexpr uint32_t kVkNext = 34;
constexpr uint32_t kVkNumpad3 = 99;
constexpr uint32_t kVkNumpad9 = 105;

class TSetupWizard {
 public:
  // Binds every clickable control to the handler its description names; std::logic_error for a
  // name no handler has.
  TSetupWizard(platform::IPlatform& platform, IWizardHost& host);

  SetupSession& Session() { return session_; }
  TWindowModel& Window() { return window_; }

  // --- Page flow ---
  // Shows the page with this Tag (any unknown Tag sizes the window by the licence page and hides all).
  void ShowPage(int tag);
  void ApplyWindowRegion();
  void edtSetupPathChange();
  // Free megabytes of the drive named by the path's first character, "%.1f"; "0" when unknown.
  std::string GetFreeSpaceMB(const std::string& path);

  // --- Events from the window ---
  // A click on the control (bitmap buttons, check boxes, radio buttons); others do nothing.
  void Click(ControlId control);
  // The control's own click after it has changed its state itself: runs its handler only.
  void Clicked(ControlId control);
  // The user toggled a check box or radio button on the screen, which now shows `checked`: the
  // model takes what the user asked for (a radio button checked unchecks the others of its page)
  // and the handler runs; the screen then follows the model.
  void Toggled(ControlId control, bool checked);
  // The 500 ms timer tmshow fired.
  void tmshowTimer();
  // A custom window message reached the wizard window.
  void HandleMessage(uint32_t message, uintptr_t wParam);
  // A key went down in the control, or in the window itself for none.
  void KeyDown(std::optional<ControlId> control, uint32_t key);
  // A mouse button went down at (x, y) of the window: on the window itself, a page picture or a
  // label it starts the system's move of the window; on the progress track or bar nothing.
  void FormMouseDown(int x, int y);
  // The system moved the window (the user dragged it): the model takes the new place, so the next
  // sync keeps it there and the page flow's vertical moves start from it.
  void FormMoved(int left, int top);

  // --- Start-up and shutdown ---
  void FormCreate();
  // Centres the window on a virtual desktop of this size (halves round to the even neighbour).
  void CentreOn(int desktopWidth, int desktopHeight);
  void FormDestroy();
  // The wizard's message box for `kind` (-1 to 6); any other kind shows nothing and returns 0.
  int ShowSetupMessage(const std::string& text, int kind);

  // --- Click handlers, named as the window description binds them ---
  using ClickHandler = void (TSetupWizard::*)();
  void btTurnBackSetupClick();  // every close and cancel button
  void RzBmpButton25Click();    // welcome: Next
  void RzBmpButton30Click();    // environment check: Next
  void RzBmpButton29Click();    // environment check: Back
  void RzBmpButton1Click();     // features: Next
  void chbAgreeClick();         // licence: the agreement
  void btNext2Click();          // licence: Next
  void RzBmpButton22Click();    // licence: Back
  void RzBmpButton10Click();    // location: browse for the installation folder
  void rb1Click();              // location: either data-folder choice
  void RzBmpButton11Click();    // location: browse for the data folder
  void RzBmpButton9Click();     // location: Back
  void RzBmpButton8Click();     // location: Install
  void RzBmpButton20Click();    // finish: Finish

  // --- Install sequence ---
  // True when the archive was extracted, or when extraction stopped for a cancellation.
  bool ExtractArchive();
  void ZipStartUnZip(zip::TVCLUnZip* sender, int index, std::string& fileName, bool& skip);
  void ZipTotalPercentDone(zip::TVCLUnZip* sender, int percent);
  void UpdateProgressBar();
  void RunPostInstall();
  void RegisterDlls();
  void WriteAppPath();
  void WriteUninstallInfo();
  int ProgressPercent() const { return progressPercent_; }

  // --- Cancellation ---
  // The window's close query; true when the window may close.
  bool FormCloseQuery();
  void DeleteAppKey();

  // --- Finish ---
  void SetHomePage(const std::string& address);
  void CreateShortcut(const std::string& target, const std::string& linkFile);
  std::string GetQuickLaunchFolder();

  // --- Environment check ---
  // False only when the user declined to remove an earlier installation.
  bool CheckEnvironment();
  // One top-level window of the scan; false ends the scan.
  bool RunningProductProbe(const platform::WindowInfo& window);
  // The executable's file name, without folder, of the process owning the window; empty if unknown.
  std::string GetWindowImageName(const platform::WindowInfo& window);

 private:
  void Close() { host_.RequestClose(); }
  // The one way the core lets the message loop run: the window model is brought to the screen
  // first, so whatever the user sees and acts on is the state the core is in.
  void ProcessMessages();
  void MoveWindowVertically(int pageFrom, int pageTo, int sign);
  // Checks the radio button and unchecks the others of its page.
  void CheckRadio(ControlId radio);
  void SetStatus(const std::string& text);
  // Deletes every file the install log names, each followed by its folder when that is empty, and
  // every logged folder when it is empty. Returns the files it could not delete.
  std::vector<std::string> RemoveLoggedFiles();
  // After a cancellation during extraction, once the engine has closed its files: deletes the files
  // the rollback could not delete (on Windows the one the engine held open then).
  void RemoveFilesLeftByRollback();
  std::string SetupFolder();  // edtSetupPath's text with a trailing backslash

  platform::IPlatform& platform_;
  IWizardHost& host_;
  SetupSession session_;
  TWindowModel window_;
  std::array<ClickHandler, ui::kControlCount> clicks_{};  // by control
  int progressPercent_ = 0;
  bool uninstallInfoWritten_ = false;  // this run wrote the uninstall key
  // The close query was answered Yes: the window closes once the code beneath the query returns.
  bool closeConfirmed_ = false;
  std::vector<std::string> filesLeftByRollback_;  // logged files the rollback could not delete
};

}  // namespace velmora::app
