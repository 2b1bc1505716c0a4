#include "linux/XkbButtonNotices.h"

#include <QGuiApplication>
#include <xcb/xcb.h>
// xkb.h names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace linuxdesktop {

void StopButtonStateNotices() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return;
  const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
  if (!xkb || !xkb->present) return;
  // Only the pointer-button part of the state details changes; every other selection of
  // the toolkit stays as it was.
  xcb_xkb_select_events_details_t details{};
  details.affectState = XCB_XKB_STATE_PART_POINTER_BUTTONS;
  details.stateDetails = 0;
  xcb_xkb_select_events_aux(connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0,
                            0, &details);
  xcb_flush(connection);
}

}  // namespace linuxdesktop
