#include "saver/zyBackground.h"

LRESULT zyBackground::OnEraseBkgnd(WPARAM, LPARAM) {
  return 1;
}

LRESULT zyBackground::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(m_Handle, &ps);
  RECT rect;
  GetClientRect(m_Handle, &rect);
  BitBlt(hdc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, nullptr, 0, 0, BLACKNESS);
  EndPaint(m_Handle, &ps);
  return 0;
}
