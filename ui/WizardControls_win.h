// The wizard window's windowed controls, made from the window description: the bitmap buttons, the
// glyph check boxes and radio buttons, the folder edits and the licence memo, with their tooltips
// and decorations. Each is found by its identity, and its identity from its window.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/WindowModel.h"
#include "ui/GlyphButton.h"
#include "ui/WindowDescription.h"

namespace velmora::ui {

class WizardPages;

class WizardControls {
 public:
  // What the controls report to the window.
  struct Events {
    // A bitmap button was clicked.
    std::function<void(ControlId)> click;
    // A check box or radio button changed its own state on the user's input and was clicked.
    std::function<void(ControlId)> glyphClicked;
    // A key went down in the licence memo.
    std::function<void(uint32_t key)> memoKey;
  };

  // Creates every windowed control as a child of its page's window, in the order access keys are
  // offered to them, with the texts and check marks the model holds. `window` is the main window.
  WizardControls(HWND window, const WizardPages& pages, HFONT font, const app::TWindowModel& model, Events events);
  ~WizardControls();
  WizardControls(const WizardControls&) = delete;
  WizardControls& operator=(const WizardControls&) = delete;

  // The window of a windowed control; null for the controls the window paints itself.
  HWND Window(ControlId id) const { return windows_[size_t(id)]; }
  // The check box or radio button of that identity; nullptr for the other controls.
  TRzCustomGlyphButton* Glyph(ControlId id) const { return glyphs_[size_t(id)]; }
  // The control of a window or of a command id, if it is one of these.
  std::optional<ControlId> Find(HWND control) const;
  std::optional<ControlId> FromCommand(int commandId) const;
  // Whether Tab stops at the control now: it can take the focus and its window is a tab stop (a
  // radio button only while it is the checked one of its group).
  bool TakesTab(const app::TWindowModel& model, ControlId id) const;

 private:
  HWND CreateButton(const ControlDescription& d, const std::string& text);
  HWND CreateGlyphControl(const ControlDescription& d, const app::TControlState& state);
  HWND CreateEdit(const ControlDescription& d, const std::string& text);
  void DecorateEdits();
  void AddTooltips();
  static LRESULT CALLBACK MemoProc(HWND memo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

  HWND window_;
  const WizardPages& pages_;
  HFONT font_;
  Events events_;
  std::array<HWND, kControlCount> windows_{};
  std::array<TRzCustomGlyphButton*, kControlCount> glyphs_{};
};

}  // namespace velmora::ui
