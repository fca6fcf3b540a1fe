"""What of the X display no Debian tool does quickly enough: who holds a
selection, a coloured desktop a compositing manager shows, and (for the tests
and measurements that keep pace with a program's timer) the pointer moved,
a window's place and a strip of the screen read within a millisecond, over one
connection instead of a process each.
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


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint8)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class Display:
    """One connection to $DISPLAY for many quick calls."""

    def __init__(self):
        self.x, self.display = _open()
        if not self.x:
            raise OSError("no X display")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.x.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.root = ctypes.c_ulong(self.x.XDefaultRootWindow(self.display))

    def close(self):
        self.x.XCloseDisplay(self.display)

    def move(self, px, py):
        """Moves the pointer through XTest, as a mouse does, and waits until the server has it."""
        self.xtst.XTestFakeMotionEvent(self.display, -1, int(px), int(py), ctypes.c_ulong(0))
        self.x.XSync(self.display, 0)

    def pointer(self):
        """The pointer's (x, y) on the screen."""
        root, child = ctypes.c_ulong(), ctypes.c_ulong()
        rx, ry, wx, wy, mask = (ctypes.c_int() for _ in range(5))
        self.x.XQueryPointer(self.display, self.root, ctypes.byref(root), ctypes.byref(child), ctypes.byref(rx),
                             ctypes.byref(ry), ctypes.byref(wx), ctypes.byref(wy), ctypes.byref(mask))
        return rx.value, ry.value

    def window(self, xid):
        """(x, y, width, height) of a top-level window while it is mapped, else None."""
        attributes = _XWindowAttributes()
        if not self.x.XGetWindowAttributes(self.display, ctypes.c_ulong(xid), ctypes.byref(attributes)):
            return None
        return (attributes.x, attributes.y, attributes.width, attributes.height) \
            if attributes.map_state == 2 else None  # IsViewable

    def strip(self, px, py, w, h=1):
        """The screen's pixels in the rectangle, as bytes of RGB, row after row."""
        image = self.x.XGetImage(self.display, self.root, int(px), int(py), int(w), int(h), ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF), 2)
        if not image:
            raise OSError("XGetImage failed")
        try:
            im = image.contents
            raw = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            out = bytearray(3 * im.width * im.height)
            for row in range(im.height):
                line = raw[row * im.bytes_per_line:row * im.bytes_per_line + 4 * im.width]
                at = 3 * im.width * row
                for channel in range(3):  # 32-bit TrueColor, BGRX in memory
                    out[at + channel:at + 3 * im.width:3] = line[2 - channel::4]
            return bytes(out)
        finally:
            image.contents.destroy_image(ctypes.cast(image, ctypes.c_void_p))


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
