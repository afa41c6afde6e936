// The user-interface services the engines need while they work on the caller's thread.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::sys {

// Message-box results as the system returns them.
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
// Message-box flags the engines pass.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;

// Dispatches every message waiting in the calling thread's queue; a quit message is put back and
// ends the dispatching. On POSIX there is no queue and nothing happens.
void ProcessPendingMessages();
// A system message box without owner window. On POSIX the text goes to standard error and the
// answer is No for a Yes/No question, OK otherwise.
int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags);
// The folder picker over the shell's folder tree, starting at `start`, with `title` above the tree
// and owned by the window `owner` (0: none), with a button for new folders; false when cancelled.
// On POSIX there is no picker and the answer is always cancel.
bool PickFolder(const std::string& start, std::string& folder, const std::string& title = "", uintptr_t owner = 0);
// The file-open dialog with a title, a filter of "description|pattern|..." pairs and a start
// folder; false when cancelled. On POSIX there is no dialog and the answer is always cancel.
bool PickFile(const std::string& title, const std::string& filter, const std::string& start, std::string& file);
constexpr uint32_t kMbOkCancel = 0x1;
constexpr int kIdCancel = 2;

}  // namespace velmora::sys
