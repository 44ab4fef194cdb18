#include "host/SpriteView.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "host/GifAsset.h"

namespace vrixhost {

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr char kViewProperty[] = "VrixSpriteView";

// The view's procedure over the window it was given: painting, the frame
// timer and the window's end; everything else goes to the window's own.
LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  HostSpriteView* view = static_cast<HostSpriteView*>(GetPropA(hwnd, kViewProperty));
  if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
  const WNDPROC previous = reinterpret_cast<WNDPROC>(view->previousProc);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      view->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // painting covers the whole view
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        view->Tick();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      view->WindowGone();
      break;
  }
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

VxStatus VXAPI ViewShowMedia(VxSpriteView* self, VxAsset* asset, int32_t w, int32_t h) {
  return static_cast<HostSpriteView*>(self)->ShowMedia(asset, w, h);
}
VxStatus VXAPI ViewRefresh(VxSpriteView* self) {
  static_cast<HostSpriteView*>(self)->Update();
  return VX_OK;
}
VxStatus VXAPI ViewSetClient(VxSpriteView* self, VxAssetOptions* client) {
  return static_cast<HostSpriteView*>(self)->SetClient(client);
}
VxStatus VXAPI ViewAttachWindow(VxSpriteView* self, void* window) {
  return static_cast<HostSpriteView*>(self)->AttachWindow(window);
}

const VxSpriteViewOps kViewOps = {
    VRIXHOST_UNKNOWN(HostSpriteView, VxSpriteView, IID_VxSpriteView),
    ViewShowMedia,
    ViewRefresh,
    ViewSetClient,
    ViewAttachWindow,
};

}  // namespace

HostSpriteView::HostSpriteView() {
  ops = &kViewOps;
  CountHostObject(+1);
}

HostSpriteView::~HostSpriteView() {
  WindowGone();  // the window is the builder's: it stays
  Detach();
  CountHostObject(-1);
}

HostSpriteView* HostSpriteView::Create() {
  return new HostSpriteView();
}

void HostSpriteView::Detach() {
  if (!asset_) return;
  auto& views = asset_->views;
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
  asset_->ops->Release(asset_);
  asset_ = nullptr;
}

VxStatus HostSpriteView::ShowMedia(VxAsset* asset, int32_t w, int32_t h) {
  GifAsset* gif = GifAsset::FromAsset(asset);
  if (!gif || w <= 0 || h <= 0) return VX_E_INVALIDARG;
  if (gif != asset_) {
    Detach();
    gif->ops->AddRef(gif);
    asset_ = gif;
    asset_->views.push_back(this);
  }
  width = w;
  height = h;
  Update();
  return VX_OK;
}

VxStatus HostSpriteView::SetClient(VxAssetOptions* client) {
  client_ = client;
  return VX_OK;
}

VxStatus HostSpriteView::AttachWindow(void* window) {
  HWND hwnd = static_cast<HWND>(window);
  if (window_ || !hwnd || !IsWindow(hwnd) || GetPropA(hwnd, kViewProperty)) return VX_E_INVALIDARG;
  if (!SetPropA(hwnd, kViewProperty, this)) return VX_E_OUTOFMEMORY;
  const LONG_PTR proc = reinterpret_cast<LONG_PTR>(ViewProc);
  previousProc =
      reinterpret_cast<void*>(IsWindowUnicode(hwnd) ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc)
                                                    : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc));
  window_ = hwnd;
  Update();
  return VX_OK;
}

// The window is going: its own procedure back, no timer left.
void HostSpriteView::WindowGone() {
  HWND hwnd = static_cast<HWND>(window_);
  if (!hwnd) return;
  if (timing_) KillTimer(hwnd, kFrameTimer);
  timing_ = false;
  const LONG_PTR proc = reinterpret_cast<LONG_PTR>(previousProc);
  if (IsWindowUnicode(hwnd))
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc);
  else
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc);
  RemovePropA(hwnd, kViewProperty);
  window_ = nullptr;
}

void HostSpriteView::Update() {
  if (!window_) return;
  InvalidateRect(static_cast<HWND>(window_), nullptr, FALSE);
  Schedule();
}

// While the asset plays, one timer for the current frame's delay.
void HostSpriteView::Schedule() {
  HWND hwnd = static_cast<HWND>(window_);
  const bool play = asset_ && asset_->playing && asset_->mediaStatus == VX_OK &&
                    asset_->media.pictures.size() > 1;
  if (play) {
    SetTimer(hwnd, kFrameTimer, static_cast<UINT>(asset_->FrameDelayMs()), nullptr);
    timing_ = true;
  } else if (timing_) {
    KillTimer(hwnd, kFrameTimer);
    timing_ = false;
  }
}

void HostSpriteView::Tick() {
  if (!asset_) return;
  asset_->NextFrame();
  // Every view of the asset shows the new frame and takes its delay.
  asset_->UpdateViews();
}

void HostSpriteView::Paint(void* dcHandle) {
  HDC dc = static_cast<HDC>(dcHandle);
  RECT client;
  GetClientRect(static_cast<HWND>(window_), &client);
  VxDrawingContext context{VX_DRAWING_WIN32, dc};
  VxStatus painted = VX_E_INVALIDARG;
  if (client_)
    painted = client_->ops->PaintBackground(client_, client.top, client.left, client.bottom,
                                            client.right, &context);
  if (painted != VX_OK) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!asset_ || asset_->mediaStatus != VX_OK || asset_->media.pictures.empty()) return;

  const GifFrames& m = asset_->media;
  const int32_t bounds[4] = {client.left, client.top, client.right, client.bottom};
  int32_t rect[4] = {0, 0, 0, 0};
  VxStatus fitted = VX_E_INVALIDARG;
  if (client_) fitted = client_->ops->FitPreview(client_, m.width, m.height, bounds, rect);
  if (fitted != VX_OK) {
    // Without a client: scaled down to fit, keeping proportions, centred.
    const int64_t W = client.right - client.left, H = client.bottom - client.top;
    int64_t w = m.width, h = m.height;
    if (w > W || h > H) {
      if (w * H > h * W) {
        h = h * W / w;
        w = W;
      } else {
        w = w * H / h;
        h = H;
      }
    }
    rect[0] = client.left + static_cast<int32_t>((W - w) / 2);
    rect[1] = client.top + static_cast<int32_t>((H - h) / 2);
    rect[2] = rect[0] + static_cast<int32_t>(w);
    rect[3] = rect[1] + static_cast<int32_t>(h);
  }
  // Where the animation shows nothing, the view is white.
  const size_t index = static_cast<size_t>(asset_->frame) % m.pictures.size();
  std::vector<uint32_t> pixels = m.pictures[index];
  for (uint32_t& p : pixels)
    if ((p >> 24) == 0) p = 0xFFFFFFFFu;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = m.width;
  bmi.bmiHeader.biHeight = -m.height;  // top row first
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, HALFTONE);
  StretchDIBits(dc, rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], 0, 0, m.width, m.height,
                pixels.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
  ++paints;
  lastFrame = static_cast<int32_t>(index);
}

}  // namespace vrixhost
