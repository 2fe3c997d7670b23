#include "ui/web_pane.h"

#include <ole2.h>
#include <exdisp.h>
#include <oleauto.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/wide.h"
#include "res/resource.h"
#include "ui/texts.h"

namespace tora {
namespace {

// The system's HTML document (the engine the browser control renders with);
// MinGW's uuid library lacks it.
constexpr CLSID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

}  // namespace

// The container side of the embedding: client site, in-place site and
// in-place frame in one object. The control asks these for its window and
// its place and otherwise needs little from us.
class WebPane::Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit Site(HWND pane) : pane_(pane) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
      *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceFrame) || IsEqualIID(riid, IID_IOleInPlaceUIWindow))
      *out = static_cast<IOleInPlaceFrame*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = pane_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = this;
      AddRef();
    }
    if (doc) *doc = nullptr;
    if (position) GetClientRect(pane_, position);
    if (clip) GetClientRect(pane_, clip);
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = GetParent(pane_);
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no tool bars, menus or status bar.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  virtual ~Site() = default;
  HWND pane_;
  ULONG refs_ = 1;
};

bool WebPane::RegisterWindowClass(HINSTANCE instance) {
  return WindowBase::RegisterSelfOwnedClass(instance, TORA_WEB_PANE_CLASS, [](HWND) { return new WebPane(); },
                                            CS_HREDRAW | CS_VREDRAW);
}

WebPane* WebPane::FromWindow(HWND pane) { return dynamic_cast<WebPane*>(WindowBase::FromWindow(pane)); }

LRESULT WebPane::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      Embed();
      return 0;
    case WM_SIZE:
      Resize();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      // Tab lands on the pane; the text it shows is what takes the keys.
      if (text_view_ && IsWindowVisible(text_view_)) SetFocus(text_view_);
      return 0;
    case WM_CONTEXTMENU:
      if (text_view_ && reinterpret_cast<HWND>(wparam) == text_view_ && text_view_rich_) {
        ShowTextMenu(lparam);
        return 0;
      }
      return Default(message, wparam, lparam);
    case WM_CTLCOLORSTATIC:
      // A read-only plain edit would be grey; the text reads as a page.
      if (text_view_ && reinterpret_cast<HWND>(lparam) == text_view_) {
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      return Default(message, wparam, lparam);
    case WM_DESTROY:
      Unembed();
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

void WebPane::Embed() {
  // Without the HTML engine behind it (Wine without its engine) the browser
  // control comes up but never draws a page: the pane counts as having no
  // browser then, so that its owner shows its text itself.
  IUnknown* engine = nullptr;
  if (FAILED(CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&engine))) ||
      !engine)
    return;
  engine->Release();
  IOleObject* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object))) ||
      !object)
    return;
  site_ = new Site(hwnd());
  object_ = object;
  RECT rect;
  GetClientRect(hwnd(), &rect);
  if (FAILED(object_->SetClientSite(site_)) ||
      FAILED(OleSetContainedObject(object_, TRUE)) ||
      FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, -1, hwnd(), &rect)) ||
      FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))) || !browser_) {
    browser_ = nullptr;
    Unembed();
    return;
  }
  browser_->put_Silent(VARIANT_TRUE);
  Resize();
}

void WebPane::Resize() {
  RECT rect;
  GetClientRect(hwnd(), &rect);
  if (text_view_) MoveWindow(text_view_, 0, 0, rect.right, rect.bottom, TRUE);
  if (!browser_) return;
  browser_->put_Left(0);
  browser_->put_Top(0);
  browser_->put_Width(rect.right);
  browser_->put_Height(rect.bottom);
}

void WebPane::Unembed() {
  if (browser_) {
    browser_->Stop();
    browser_->Release();
    browser_ = nullptr;
  }
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
  if (site_) {
    site_->Release();
    site_ = nullptr;
  }
}

void WebPane::OnPaint() {
  // What shows where the control is missing (or has not drawn yet).
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  FillRect(dc, &ps.rcPaint, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EndPaint(hwnd(), &ps);
}

void WebPane::Navigate(const std::string& address) {
  if (!browser_) return;
  if (text_view_) ShowWindow(text_view_, SW_HIDE);
  BSTR url = SysAllocString(Widen(address).c_str());
  if (!url) return;
  VARIANT empty;
  VariantInit(&empty);
  browser_->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
}

void WebPane::Refresh() {
  if (browser_) browser_->Refresh();
}

bool WebPane::MakeTextView() {
  if (text_view_) return true;
  RECT rect;
  GetClientRect(hwnd(), &rect);
  const DWORD style = WS_CHILD | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL;
  // The newest rich edit the system has; the library stays for the process,
  // as the control's class lives in it.
  const struct {
    const wchar_t* library;
    const wchar_t* window_class;
  } rich_edits[] = {{L"Msftedit.dll", L"RICHEDIT50W"}, {L"Riched20.dll", L"RichEdit20W"}};
  for (const auto& rich : rich_edits) {
    if (!LoadLibraryW(rich.library)) continue;
    text_view_ = CreateWindowExW(0, rich.window_class, L"", style, 0, 0, rect.right, rect.bottom, hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (text_view_) {
      text_view_rich_ = true;
      // A rich edit holds 32K characters unless told otherwise.
      SendMessageW(text_view_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
      break;
    }
  }
  if (!text_view_) {
    text_view_ = CreateWindowExW(0, L"EDIT", L"", style, 0, 0, rect.right, rect.bottom, hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!text_view_) return false;
    SendMessageW(text_view_, EM_SETLIMITTEXT, 0, 0);
    if (HWND parent = GetParent(hwnd()))
      SendMessageW(text_view_, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
  }
  SendMessageW(text_view_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
  return true;
}

namespace {

struct RtfSource {
  const std::string* text;
  size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<RtfSource*>(cookie);
  const size_t count = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), source->text->size() - source->at);
  std::memcpy(buffer, source->text->data() + source->at, count);
  source->at += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

void WebPane::ShowText(const std::string& rtf, const std::wstring& plain) {
  if (!MakeTextView()) return;
  if (text_view_rich_) {
    RtfSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRtf;
    SendMessageW(text_view_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else {
    SetWindowTextW(text_view_, plain.c_str());
  }
  SendMessageW(text_view_, EM_SETSEL, 0, 0);
  SendMessageW(text_view_, WM_VSCROLL, SB_TOP, 0);
  // Above the browser's own window, where there is one.
  SetWindowPos(text_view_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void WebPane::ShowTextMenu(LPARAM at) {
  // A rich edit has no menu of its own: copy and select all, as an edit has.
  enum : UINT { kCopy = 1, kSelectAll = 2 };
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    // From the keyboard: at the pane's top-left corner.
    point = POINT{0, 0};
    ClientToScreen(hwnd(), &point);
  }
  CHARRANGE selection{};
  SendMessageW(text_view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING | (selection.cpMin == selection.cpMax ? MF_GRAYED : 0), kCopy,
              Widen(ui_texts::kCopy).c_str());
  AppendMenuW(menu, MF_STRING, kSelectAll, Widen(ui_texts::kSelectAll).c_str());
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd(), nullptr));
  DestroyMenu(menu);
  if (command == kCopy) SendMessageW(text_view_, WM_COPY, 0, 0);
  if (command == kSelectAll) SendMessageW(text_view_, EM_SETSEL, 0, -1);
}

WebPane::~WebPane() { Unembed(); }

}  // namespace tora
