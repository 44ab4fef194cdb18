// The native build's default display: true colour, as a modern screen is.
#include "xlib/mm/xdisplay.h"

XDisplay& xdisplayDefault() {
  static XDisplayDescription trueColor;
  return trueColor;
}
