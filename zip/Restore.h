// Puts a setting back when a scope ends, also on an exception. OS-independent.
#pragma once

namespace velmora::zip {

// Sets `target` to `value` and gives it back its old value at the end of the scope. The restoring
// destructor only assigns: it calls nothing that could raise.
template <typename T>
class Restore {
 public:
  Restore(T& target, T value) : target_(target), saved_(target) { target = value; }
  ~Restore() { target_ = saved_; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& target_;
  T saved_;
};

}  // namespace velmora::zip
