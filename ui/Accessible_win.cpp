// The system's accessibility interface for the wizard's windows.
#include "ui/Accessible_win.h"

#include <oleacc.h>

#include <algorithm>

#include "platform/SystemLibrary_win.h"

namespace velmora::ui {
namespace {

// oleacc is not among the libraries the system always maps from its own folder, so it is loaded
// from there by its full path when a screen reader first asks.
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

LresultFromObjectFn LresultFromObjectFunction() {
  static const auto f = platform::SystemLibraryFunction<LresultFromObjectFn>("oleacc.dll", "LresultFromObject");
  return f;
}

AccessibleObjectFromWindowFn AccessibleObjectFromWindowFunction() {
  static const auto f =
      platform::SystemLibraryFunction<AccessibleObjectFromWindowFn>("oleacc.dll", "AccessibleObjectFromWindow");
  return f;
}

// The message that carries a screen reader's default action to the window's own queue.
UINT DefaultActionMessage() {
  static const UINT message = RegisterWindowMessageA("VelmoraAccessibleDefaultAction");
  return message;
}

// A text for the interface: the system frees it. Our texts are code page 936.
BSTR Text(const std::string& text) {
  if (text.empty()) return nullptr;
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, UINT(n));
  if (result != nullptr) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), result, n);
  return result;
}

HRESULT TextResult(const std::string& text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = Text(text);
  return *out != nullptr ? S_OK : S_FALSE;
}

}  // namespace

// Reference counting for the COM objects here; each answers QueryInterface itself.
template <typename Interface>
class RefCounted : public Interface {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return ULONG(left);
  }

 protected:
  virtual ~RefCounted() = default;
  // Hands out this object as `Interface` when asked for it or for IUnknown.
  bool Offer(REFIID iid, void** out) {
    if (iid != __uuidof(IUnknown) && iid != __uuidof(Interface)) return false;
    *out = static_cast<Interface*>(this);
    AddRef();
    return true;
  }

 private:
  LONG references_ = 1;
};

// The children of an accessible object in order, as screen readers walk them: a window of its
// own as its object, a simple element as its id. Read anew at every step, so that a screen reader
// holding the enumerator across a page change walks the page shown now.
template <typename Owner>
class ChildEnumerator final : public RefCounted<IEnumVARIANT> {
 public:
  ChildEnumerator(Owner* owner, size_t next) : owner_(owner), next_(next) { owner_->AddRef(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (Offer(iid, out)) return S_OK;
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_INVALIDARG;
    const std::vector<long> children = owner_->ListedChildren();
    ULONG n = 0;
    for (; n < count && next_ < children.size(); ++n, ++next_) owner_->ChildVariant(children[next_], out[n]);
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t listed = owner_->ListedChildren().size();
    const size_t wanted = next_ + size_t(count);
    next_ = std::min(listed, wanted);
    return wanted <= listed ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new ChildEnumerator(owner_, next_);
    return S_OK;
  }

 private:
  ~ChildEnumerator() override { owner_->Release(); }
  Owner* owner_;
  size_t next_;
};

class AccessibleWindow::Object final : public RefCounted<IAccessible> {
 public:
  Object(HWND window, AccessibleSource& source) : window_(window), source_(&source) {}
  void Disconnect() { source_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (Offer(iid, out)) return S_OK;
    if (iid == __uuidof(IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    // The children in their order, for a source whose ids are not simply 1 to the count.
    if (iid == __uuidof(IEnumVARIANT) && source_ != nullptr) {
      *out = static_cast<IEnumVARIANT*>(new ChildEnumerator<Object>(this, 0));
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  // IDispatch: screen readers call the interface directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_INVALIDARG;
    *parent = nullptr;
    if (source_ == nullptr) return RPC_E_DISCONNECTED;
    AccessibleObjectFromWindowFn f = AccessibleObjectFromWindowFunction();
    return f != nullptr ? f(window_, DWORD(OBJID_WINDOW), __uuidof(IDispatch), reinterpret_cast<void**>(parent)) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_INVALIDARG;
    if (source_ == nullptr) return RPC_E_DISCONNECTED;
    *count = long(source_->Children().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    long id;
    if (HRESULT bad = Child(child, id); bad != S_OK) return bad;
    HWND own = id != CHILDID_SELF ? source_->ChildWindow(id) : nullptr;
    if (own == nullptr) return S_FALSE;  // a simple element: its parent answers for it
    AccessibleObjectFromWindowFn f = AccessibleObjectFromWindowFunction();
    return f != nullptr ? f(own, DWORD(OBJID_CLIENT), __uuidof(IDispatch), reinterpret_cast<void**>(out)) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Field(child, name, [](const AccessibleObject& o) { return o.name; });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Field(child, value, [](const AccessibleObject& o) { return o.value; });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Field(child, text, [](const AccessibleObject& o) { return o.description; });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Number(child, role, [](const AccessibleObject& o) { return long(o.role); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Number(child, state, [](const AccessibleObject& o) { return long(o.state); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return Field(child, help, [](const AccessibleObject&) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return Field(child, shortcut, [](const AccessibleObject& o) { return o.shortcut; });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_INVALIDARG;
    VariantInit(focus);
    if (source_ == nullptr) return RPC_E_DISCONNECTED;
    // A focused window of our own answers for itself; the window itself when it holds the focus.
    HWND focused = GetFocus();
    if (focused == window_) {
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
      return S_OK;
    }
    // A child window that holds the focus, or holds the control that does, answers for it.
    for (long id : source_->Children()) {
      HWND own = source_->ChildWindow(id);
      if (focused != nullptr && own != nullptr && (own == focused || IsChild(own, focused))) {
        focus->vt = VT_I4;
        focus->lVal = id;
        return S_OK;
      }
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection != nullptr) VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Field(child, action, [](const AccessibleObject& o) { return o.defaultAction; });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_INVALIDARG;
    long id;
    if (HRESULT bad = Child(child, id); bad != S_OK) return bad;
    if (id == CHILDID_SELF) {  // the window itself, borders included
      RECT box;
      GetWindowRect(window_, &box);
      *left = box.left;
      *top = box.top;
      *width = box.right - box.left;
      *height = box.bottom - box.top;
      return S_OK;
    }
    const AccessibleObject o = source_->Describe(id);
    POINT origin = {o.left, o.top};
    ClientToScreen(window_, &origin);  // the interface speaks in screen coordinates
    *left = origin.x;
    *top = origin.y;
    *width = o.width;
    *height = o.height;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end != nullptr) VariantInit(end);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (hit == nullptr) return E_INVALIDARG;
    VariantInit(hit);
    if (source_ == nullptr) return RPC_E_DISCONNECTED;
    POINT p = {x, y};
    ScreenToClient(window_, &p);
    RECT client;
    GetClientRect(window_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    // The last child listed at the point lies on top (controls after labels and the picture).
    long found = CHILDID_SELF;
    for (long id : source_->Children()) {
      const AccessibleObject o = source_->Describe(id);
      if ((o.state & accstate::kInvisible) == 0 && p.x >= o.left && p.x < o.left + o.width && p.y >= o.top &&
          p.y < o.top + o.height) {
        found = id;
      }
    }
    hit->vt = VT_I4;
    hit->lVal = found;
    return S_OK;
  }
  // The action runs from the window's own message queue after the call returns, as a click would:
  // a click may open a question or run the whole installation, and the screen reader must not wait
  // for it meanwhile.
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    long id;
    if (HRESULT bad = Child(child, id); bad != S_OK) return bad;
    if (source_->Describe(id).defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
    return PostMessageA(window_, DefaultActionMessage(), WPARAM(id), 0) ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  // What the enumerator walks: the children listed now (none once the window is gone), and one
  // child as it hands it out, with a reference of its own for a window's object.
  std::vector<long> ListedChildren() { return source_ != nullptr ? source_->Children() : std::vector<long>(); }
  void ChildVariant(long id, VARIANT& v) {
    VariantInit(&v);
    IDispatch* own = nullptr;
    if (get_accChild(VariantOf(id), &own) == S_OK && own != nullptr) {
      v.vt = VT_DISPATCH;
      v.pdispVal = own;
    } else {
      v.vt = VT_I4;
      v.lVal = id;
    }
  }

 private:
  ~Object() override = default;

  static VARIANT VariantOf(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  }

  // The child a VARIANT names: the object itself or one of the source's children.
  HRESULT Child(const VARIANT& child, long& id) {
    if (source_ == nullptr) return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4 || (child.lVal != CHILDID_SELF && !source_->IsChild(child.lVal))) return E_INVALIDARG;
    id = child.lVal;
    return S_OK;
  }
  template <typename Get>
  HRESULT Field(const VARIANT& child, BSTR* out, Get get) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    long id;
    if (HRESULT bad = Child(child, id); bad != S_OK) return bad;
    return TextResult(get(source_->Describe(id)), out);
  }
  template <typename Get>
  HRESULT Number(const VARIANT& child, VARIANT* out, Get get) {
    if (out == nullptr) return E_INVALIDARG;
    VariantInit(out);
    long id;
    if (HRESULT bad = Child(child, id); bad != S_OK) return bad;
    out->vt = VT_I4;
    out->lVal = get(source_->Describe(id));
    return S_OK;
  }

  HWND window_;
  AccessibleSource* source_;
};

bool SingleControlSource::DoDefaultAction(long) {
  if (DescribeControl(state_()).defaultAction.empty()) return false;  // disabled or hidden
  click_();
  return true;
}

AccessibleWindow::~AccessibleWindow() {
  if (object_ != nullptr) {
    object_->Disconnect();
    object_->Release();
  }
}

bool AccessibleWindow::HandleAction(UINT message, WPARAM wParam) {
  if (message != DefaultActionMessage()) return false;
  source_.DoDefaultAction(long(wParam));  // checks again: the state may have changed meanwhile
  return true;
}

LRESULT AccessibleWindow::Answer(WPARAM wParam, LPARAM lParam) {
  LresultFromObjectFn lresultFromObject = LresultFromObjectFunction();
  if (LONG(lParam) != LONG(OBJID_CLIENT) || lresultFromObject == nullptr) {
    return DefWindowProcA(window_, WM_GETOBJECT, wParam, lParam);
  }
  if (object_ == nullptr) object_ = new Object(window_, source_);
  return lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object_));
}

void NotifyFocus(HWND window, long child) { NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child); }
void NotifyStateChange(HWND window, long child) {
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window, OBJID_CLIENT, child);
}
void NotifyNameChange(HWND window, long child) { NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, child); }
void NotifyValueChange(HWND window, long child) {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, child);
}
void NotifyLiveRegion(HWND window, long child) {
  NotifyWinEvent(kEventLiveRegionChanged, window, OBJID_CLIENT, child);
}
void NotifyReorder(HWND window) { NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF); }

}  // namespace velmora::ui
