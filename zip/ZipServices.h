// The system services the ZIP engine uses while it runs on the caller's thread: the message pump,
// message boxes, the pickers, and what the file system makes of letter case. The wizard passes its
// own, so that its window keeps working (and its close query can run) in the middle of a run.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::zip {

class TZipServices {
 public:
  virtual ~TZipServices() = default;
  // Dispatches the thread's waiting window messages.
  virtual void ProcessMessages();
  // A message box without owner window; returns the button pressed.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags);
  // Lets the user pick a folder, starting at `start`; false when cancelled.
  virtual bool PickFolder(const std::string& start, std::string& folder);
  // Lets the user pick a file through the file-open dialog; false when cancelled.
  virtual bool PickFile(const std::string& title, const std::string& filter, const std::string& start,
                        std::string& file);
  // Whether the file system takes names that differ only in letter case for one file (Windows).
  // When it does not, the run itself makes such names one file, as they would be on Windows.
  virtual bool FileNamesFoldCase();
};

// The system's own services (on POSIX: no message queue, message boxes on stderr, no picker).
TZipServices& SystemZipServices();

}  // namespace velmora::zip
