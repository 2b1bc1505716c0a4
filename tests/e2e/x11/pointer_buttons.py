#!/usr/bin/env python3
"""Prints the pointer buttons the X server holds down (1 left, 2 middle, 3 right, blank
separated), or 0 when none is: a synthetic press that was never released shows here."""
import ctypes
import sys

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                              ctypes.POINTER(ctypes.c_ulong)] + [ctypes.POINTER(ctypes.c_int)] * 4 + \
                             [ctypes.POINTER(ctypes.c_uint)]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
root, child = ctypes.c_ulong(), ctypes.c_ulong()
rx, ry, wx, wy = (ctypes.c_int() for _ in range(4))
mask = ctypes.c_uint()
x11.XQueryPointer(display, x11.XDefaultRootWindow(display), ctypes.byref(root), ctypes.byref(child),
                  ctypes.byref(rx), ctypes.byref(ry), ctypes.byref(wx), ctypes.byref(wy), ctypes.byref(mask))
x11.XCloseDisplay(display)
held = [str(b) for b in (1, 2, 3) if mask.value & (1 << (7 + b))]
print(" ".join(held) if held else 0)
