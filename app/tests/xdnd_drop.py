"""Drops files on an X window the way a file manager does: the XDND protocol,
with the files offered as a text/uri-list. Wine turns such a drop into the
WM_DROPFILES message of the Windows window under the drop point.

drop_files(window_id, x, y, paths) -> True when the target took the drop.
"""
import sys
import time
import urllib.parse

try:
    from Xlib import X, display
    from Xlib.protocol import event
except ImportError:  # the system's package, when another Python runs the tests
    sys.path.append("/usr/lib/python3/dist-packages")
    from Xlib import X, display
    from Xlib.protocol import event

XDND_VERSION = 5


def _uri_list(paths):
    return "".join("file://" + urllib.parse.quote(path) + "\r\n" for path in paths).encode()


def drop_files(window_id, x, y, paths, timeout=20):
    """Offers the paths at root position (x, y) over the window and drops them;
    answers the target's requests for the data until it says it has finished."""
    d = display.Display()
    atom = lambda name: d.intern_atom(name)  # noqa: E731
    uri_list, selection = atom("text/uri-list"), atom("XdndSelection")
    root = d.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)
    target = d.create_resource_object("window", window_id)
    data = _uri_list(paths)

    def send(name, values):
        values = (values + [0] * 5)[:5]
        message = event.ClientMessage(window=target, client_type=atom(name), data=(32, values))
        target.send_event(message, event_mask=0)
        d.flush()

    send("XdndEnter", [source.id, XDND_VERSION << 24, uri_list])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
    accepted = dropped = finished = False
    deadline = time.time() + timeout
    while time.time() < deadline and not finished:
        if not d.pending_events():
            time.sleep(0.02)
            continue
        e = d.next_event()
        if e.type == X.SelectionRequest:
            # The target asks for the data, at Enter already or at the drop.
            requestor = e.requestor
            prop = e.property or e.target
            if e.target == uri_list:
                requestor.change_property(prop, uri_list, 8, data)
            else:
                prop = X.NONE
            reply = event.SelectionNotify(time=e.time, requestor=requestor, selection=e.selection, target=e.target,
                                          property=prop)
            requestor.send_event(reply, event_mask=0)
            d.flush()
        elif e.type == X.ClientMessage and e.client_type == atom("XdndStatus"):
            accepted = bool(e.data[1][1] & 1)
            if not dropped:
                dropped = True
                send("XdndDrop", [source.id, 0, X.CurrentTime])
        elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
            finished = True
    source.destroy()
    d.close()
    return accepted and finished


if __name__ == "__main__":
    window, px, py, *files = sys.argv[1:]
    sys.exit(0 if drop_files(int(window, 0), int(px), int(py), files) else 1)
