/* Preloaded into the program by linux_macro_safety.sh: an X server without the RECORD
 * extension, or one that refuses its context. Xvfb cannot leave RECORD out alone (it
 * shares one switch with XTEST), so the client library's answers are replaced instead.
 * QEL_NO_RECORD=missing: the extension is not there; =refused: contexts are refused. */
#include <X11/Xlib.h>
#include <X11/extensions/record.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

static int Mode(const char* want) {
  const char* mode = getenv("QEL_NO_RECORD");
  return mode && strcmp(mode, want) == 0;
}

Status XRecordQueryVersion(Display* dpy, int* major, int* minor) {
  if (Mode("missing")) return 0;
  Status (*real)(Display*, int*, int*) = (Status(*)(Display*, int*, int*))dlsym(RTLD_NEXT, "XRecordQueryVersion");
  return real(dpy, major, minor);
}

XRecordContext XRecordCreateContext(Display* dpy, int datum_flags, XRecordClientSpec* clients, int nclients,
                                    XRecordRange** ranges, int nranges) {
  if (Mode("refused") || Mode("missing")) return 0;
  XRecordContext (*real)(Display*, int, XRecordClientSpec*, int, XRecordRange**, int) =
      (XRecordContext(*)(Display*, int, XRecordClientSpec*, int, XRecordRange**, int))dlsym(RTLD_NEXT,
                                                                                              "XRecordCreateContext");
  return real(dpy, datum_flags, clients, nclients, ranges, nranges);
}
