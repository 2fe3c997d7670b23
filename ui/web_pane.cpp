#include "ui/web_pane.h"

#include <ole2.h>
#include <exdisp.h>
#include <oleauto.h>

#include "platform/win32/wide.h"
#include "res/resource.h"

namespace tora {

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
    case WM_DESTROY:
      Unembed();
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

void WebPane::Embed() {
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
  if (!browser_) return;
  RECT rect;
  GetClientRect(hwnd(), &rect);
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

WebPane::~WebPane() { Unembed(); }

}  // namespace tora
