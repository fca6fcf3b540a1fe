"""Who holds an X selection: `x11_selection.py NAME` prints the owner's window
id and exits 0, or exits 1 when nobody holds it. A compositing manager holds
_NET_WM_CM_S<screen> while it composites (the EWMH's "Compositing Managers")."""

import ctypes
import sys


def selection_owner(name):
    """The X window that owns selection `name` on $DISPLAY, or None."""
    try:
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
    except OSError:
        return None
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XInternAtom.restype = ctypes.c_ulong
    x.XGetSelectionOwner.restype = ctypes.c_ulong
    display = x.XOpenDisplay(None)
    if not display:
        return None
    try:
        atom = x.XInternAtom(ctypes.c_void_p(display), name.encode(), 0)
        return x.XGetSelectionOwner(ctypes.c_void_p(display), ctypes.c_ulong(atom)) or None
    finally:
        x.XCloseDisplay(ctypes.c_void_p(display))


if __name__ == "__main__":
    owner = selection_owner(sys.argv[1] if len(sys.argv) > 1 else "_NET_WM_CM_S0")
    if owner:
        print(hex(owner))
    sys.exit(0 if owner else 1)
