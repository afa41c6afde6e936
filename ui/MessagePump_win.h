// The wizard's one message pump. The program's message loop and the message points of a long step
// (the installation and the ZIP engine let messages run between files and blocks) take messages the
// same way: each goes to the window's keyboard handling first (Tab, the arrow keys, access keys),
// then to its window. So the keyboard acts during the installation exactly as before it.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace velmora::ui {

class MessagePump {
 public:
  // `preTranslate` sees every message first and returns true for one it handled itself.
  explicit MessagePump(std::function<bool(const MSG&)> preTranslate) : preTranslate_(std::move(preTranslate)) {}

  // Runs until the program's quit message.
  void Run();
  // Handles the messages waiting now and returns; a quit message is left for Run.
  void RunPending();

 private:
  void Dispatch(const MSG& msg);

  std::function<bool(const MSG&)> preTranslate_;
};

}  // namespace velmora::ui
