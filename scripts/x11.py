"""Two things of the X display no Debian tool does: who holds a selection, and
a coloured desktop a compositing manager shows.
  x11.py owner [NAME]      prints the owner of selection NAME (default
                           _NET_WM_CM_S0) and exits 0, or exits 1 when nobody
                           holds it; a compositing manager holds
                           _NET_WM_CM_S<screen> while it composites (EWMH)
  x11.py desktop '#RRGGBB' makes the root window that colour for xcompmgr too"""

import ctypes
import sys


def _open():
    try:
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
    except OSError:
        return None, None
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XInternAtom.restype = ctypes.c_ulong
    x.XGetSelectionOwner.restype = ctypes.c_ulong
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XCreatePixmap.restype = ctypes.c_ulong
    x.XCreateGC.restype = ctypes.c_void_p
    display = x.XOpenDisplay(None)
    return (x, ctypes.c_void_p(display)) if display else (None, None)


def selection_owner(name):
    """The X window that owns selection `name` on $DISPLAY, or None."""
    x, display = _open()
    if not x:
        return None
    try:
        atom = x.XInternAtom(display, name.encode(), 0)
        return x.XGetSelectionOwner(display, ctypes.c_ulong(atom)) or None
    finally:
        x.XCloseDisplay(display)


def paint_desktop(color):
    """Fills the root window with `color` ('#RRGGBB') and names the pixmap in
    _XROOTPMAP_ID, where xcompmgr looks for the desktop; the pixmap outlives this process."""
    x, display = _open()
    if not x:
        return False
    root = ctypes.c_ulong(x.XDefaultRootWindow(display))
    depth = x.XDefaultDepth(display, x.XDefaultScreen(display))
    pixmap = ctypes.c_ulong(x.XCreatePixmap(display, root, 1, 1, depth))
    gc = ctypes.c_void_p(x.XCreateGC(display, pixmap, ctypes.c_ulong(0), None))
    x.XSetForeground(display, gc, ctypes.c_ulong(int(color.lstrip("#"), 16)))
    x.XFillRectangle(display, pixmap, gc, 0, 0, 1, 1)
    x.XFreeGC(display, gc)
    x.XSetWindowBackgroundPixmap(display, root, pixmap)
    x.XClearWindow(display, root)
    for name in (b"_XROOTPMAP_ID", b"ESETROOT_PMAP_ID"):
        atom = ctypes.c_ulong(x.XInternAtom(display, name, 0))
        x.XChangeProperty(display, root, atom, ctypes.c_ulong(20), 32, 0, ctypes.byref(pixmap), 1)  # XA_PIXMAP
    x.XSetCloseDownMode(display, 1)  # RetainPermanent: the pixmap stays
    x.XCloseDisplay(display)
    return True


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "desktop":
        sys.exit(0 if paint_desktop(sys.argv[2]) else 1)
    owner = selection_owner(sys.argv[2] if len(sys.argv) > 2 else "_NET_WM_CM_S0")
    if owner:
        print(hex(owner))
    sys.exit(0 if owner else 1)
