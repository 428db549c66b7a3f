#!/usr/bin/python3
"""Drives Qt windows through AT-SPI, the way a screen reader or a person would.

    quillstone_atspi.py [--app NAME] tree
    quillstone_atspi.py [--app NAME] press NAME [--role ROLE] [--timeout S]
    quillstone_atspi.py [--app NAME] wait NAME [--role ROLE] [--timeout S] [--gone]
    quillstone_atspi.py [--app NAME] set-text TEXT [--name NAME] [--timeout S]
    quillstone_atspi.py [--app NAME] screenshot FILE [--window NAME]
    quillstone_atspi.py [--app NAME] reactivate
    quillstone_atspi.py [--app NAME] labels
    quillstone_atspi.py [--app NAME] pid

reactivate moves the keyboard focus away from the application's windows and
back, as a person switching to another program and returning does; the
application sees itself become active again.

Objects are found by their exact accessible name among the showing objects of
the applications whose name contains --app (all applications without it).
Runs under Debian's /usr/bin/python3 with python3-pyatspi; the session must
have the accessibility bus (see accessible-session.sh).
"""

import argparse
import os
import signal
import sys
import time

import pyatspi

PRESSABLE = ("push button", "check box", "toggle button", "radio button", "menu item")


class DriverError(Exception):
    pass


def role_of(accessible):
    return accessible.getRoleName()


def states_of(accessible):
    states = accessible.getState()
    return [pyatspi.stateToString(state) for state in states.getStates()]


def applications(app_name=None):
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for index in range(desktop.childCount):
        try:
            application = desktop.getChildAtIndex(index)
        except Exception:
            continue
        if application is None:
            continue
        if app_name is None or app_name in (application.name or ""):
            found.append(application)
    return found


def walk(accessible, depth=0):
    """Every object below accessible, with its depth; dead objects are skipped."""
    yield accessible, depth
    try:
        count = accessible.childCount
    except Exception:
        return
    for index in range(count):
        try:
            child = accessible.getChildAtIndex(index)
        except Exception:
            continue
        if child is not None:
            yield from walk(child, depth + 1)


def is_showing(accessible):
    # Visible, even when scrolled out of view (Qt then drops "showing"): what a
    # screen reader reaches and a scroll would bring up.
    return accessible.getState().contains(pyatspi.STATE_VISIBLE)


def find(name, roles=None, app_name=None):
    """The showing objects named exactly name (and of one of roles, if given)."""
    matches = []
    for application in applications(app_name):
        for accessible, _ in walk(application):
            try:
                if accessible.name != name:
                    continue
                if roles and role_of(accessible) not in roles:
                    continue
                if accessible is not application and not is_showing(accessible):
                    continue
            except Exception:
                continue
            matches.append(accessible)
    return matches


def wait_for(name, roles=None, app_name=None, timeout=10.0, gone=False):
    deadline = time.monotonic() + timeout
    while True:
        matches = find(name, roles, app_name)
        if bool(matches) != gone:
            return matches
        if time.monotonic() >= deadline:
            what = f"{name!r}" + (f" ({', '.join(roles)})" if roles else "")
            raise DriverError(f"{what} {'still shown' if gone else 'not shown'} after {timeout:g} s")
        time.sleep(0.1)


def press(name, roles=None, app_name=None, timeout=10.0):
    """Runs the default action of the enabled control named name."""
    roles = roles or PRESSABLE
    deadline = time.monotonic() + timeout
    while True:
        controls = wait_for(name, roles, app_name, max(0.0, deadline - time.monotonic()))
        enabled = [c for c in controls if c.getState().contains(pyatspi.STATE_SENSITIVE)]
        if enabled:
            break
        if time.monotonic() >= deadline:
            raise DriverError(f"{name!r} is shown but disabled")
        time.sleep(0.1)
    if len(enabled) > 1:
        raise DriverError(f"{len(enabled)} enabled controls are named {name!r}")
    action = enabled[0].queryAction()
    if action.nActions < 1:
        raise DriverError(f"{name!r} has no action")
    if not action.doAction(0):
        raise DriverError(f"{name!r} refused its action {action.getName(0)!r}")
    return enabled[0]


def set_text(text, name=None, app_name=None, timeout=10.0):
    """Replaces the contents of an editable text (the first one, without name)."""
    deadline = time.monotonic() + timeout
    while True:
        for application in applications(app_name):
            for accessible, _ in walk(application):
                try:
                    if role_of(accessible) not in ("text", "entry", "combo box") or not is_showing(accessible):
                        continue
                    if name is not None and accessible.name != name:
                        continue
                    editable = accessible.queryEditableText()
                except (NotImplementedError, Exception):
                    continue
                if editable.setTextContents(text):
                    return accessible
        if time.monotonic() >= deadline:
            raise DriverError(f"no editable text{'' if name is None else f' named {name!r}'} is shown")
        time.sleep(0.1)


def tree(app_name=None, out=sys.stdout):
    for application in applications(app_name):
        for accessible, depth in walk(application):
            try:
                line = f"{'  ' * depth}{role_of(accessible)} {accessible.name!r}"
                states = [s for s in states_of(accessible) if s in ("visible", "showing", "sensitive", "checked", "focused")]
                if states:
                    line += " [" + " ".join(states) + "]"
            except Exception:
                continue
            print(line, file=out)


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def top_levels(app_name=None, window=None):
    """The showing top-level windows (optionally named window) of the applications."""
    found = []
    for application in applications(app_name):
        for index in range(application.childCount):
            try:
                child = application.getChildAtIndex(index)
                if child is not None and is_showing(child) and (window is None or child.name == window):
                    found.append(child)
            except Exception:
                continue
    return found


def x_windows(app_name=None):
    """The mapped top-level X windows of the applications, found by _NET_WM_PID."""
    from Xlib import X, display as xdisplay

    pids = set()
    for application in applications(app_name):
        try:
            pids.add(application.get_process_id())
        except Exception:
            pass
    if not pids:
        raise DriverError("no such application")
    screen = xdisplay.Display()
    pid_atom = screen.intern_atom("_NET_WM_PID")
    windows = []
    for window in screen.screen().root.query_tree().children:
        try:
            attributes = window.get_attributes()
            owner = window.get_full_property(pid_atom, X.AnyPropertyType)
        except Exception:
            continue
        if attributes.map_state == X.IsViewable and owner is not None and owner.value[0] in pids:
            windows.append(window)
    return screen, windows


def raise_windows(app_name):
    """Without a window manager the newest window covers the others: bring these up."""
    from Xlib import X

    screen, windows = x_windows(app_name)
    for window in windows:
        window.configure(stack_mode=X.Above)
    screen.sync()
    time.sleep(0.3)


def screenshot(path, window=None, app_name=None, timeout=10.0):
    """The X display, or one window (named window, else the application's first), as a PNG."""
    from PIL import ImageGrab

    box = None
    if window is not None or app_name is not None:
        deadline = time.monotonic() + timeout
        while not (frames := top_levels(app_name, window)):
            if time.monotonic() >= deadline:
                raise DriverError(f"no window {window or ''!r} is shown")
            time.sleep(0.1)
        if app_name is not None:
            raise_windows(app_name)
        x, y, width, height = extents(frames[0])
        if width > 0 and height > 0:
            box = (max(0, x), max(0, y), x + width, y + height)
    image = ImageGrab.grab(xdisplay=os.environ.get("DISPLAY"))
    if box is not None:
        image = image.crop(box)
    image.save(path, "PNG")
    return path


def labels(app_name=None):
    """The names of the showing labels, in tree order."""
    names = []
    for application in applications(app_name):
        for accessible, _ in walk(application):
            try:
                if role_of(accessible) == "label" and accessible.name and is_showing(accessible):
                    names.append(accessible.name)
            except Exception:
                continue
    return names


def process_ids(app_name=None):
    return [application.get_process_id() for application in applications(app_name)]


def reactivate(app_name=None, pause=0.6):
    """Focus away from the application's top-level X windows, then back to them."""
    from Xlib import X

    screen, windows = x_windows(app_name)
    if not windows:
        raise DriverError("the application shows no window")
    screen.set_input_focus(X.PointerRoot, X.RevertToPointerRoot, X.CurrentTime)
    screen.sync()
    time.sleep(pause)
    windows[-1].set_input_focus(X.RevertToPointerRoot, X.CurrentTime)
    screen.sync()
    time.sleep(pause)


def main(argv=None):
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--app", help="only applications whose accessible name contains this")
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("tree", help="dump roles, names and states")
    for command in ("press", "wait"):
        sub = commands.add_parser(command)
        sub.add_argument("name")
        sub.add_argument("--role", action="append", help="accepted role (repeatable), e.g. 'push button'")
        sub.add_argument("--timeout", type=float, default=30.0)
        if command == "wait":
            sub.add_argument("--gone", action="store_true", help="wait until nothing of that name is shown")
    sub = commands.add_parser("set-text")
    sub.add_argument("text")
    sub.add_argument("--name")
    sub.add_argument("--timeout", type=float, default=30.0)
    sub = commands.add_parser("screenshot")
    sub.add_argument("file")
    sub.add_argument("--window", help="only the top-level window of this accessible name")
    sub.add_argument("--timeout", type=float, default=30.0)
    commands.add_parser("reactivate", help="focus away from the application and back")
    commands.add_parser("labels", help="print the showing labels, one per line")
    commands.add_parser("pid", help="print the process id of each application")
    arguments = parser.parse_args(argv)

    try:
        if arguments.command == "tree":
            tree(arguments.app)
        elif arguments.command == "press":
            press(arguments.name, arguments.role, arguments.app, arguments.timeout)
        elif arguments.command == "wait":
            wait_for(arguments.name, arguments.role, arguments.app, arguments.timeout, arguments.gone)
        elif arguments.command == "set-text":
            set_text(arguments.text, arguments.name, arguments.app, arguments.timeout)
        elif arguments.command == "screenshot":
            screenshot(arguments.file, arguments.window, arguments.app, arguments.timeout)
        elif arguments.command == "reactivate":
            reactivate(arguments.app)
        elif arguments.command == "labels":
            print("\n".join(labels(arguments.app)))
        elif arguments.command == "pid":
            print("\n".join(str(pid) for pid in process_ids(arguments.app)))
    except DriverError as error:
        print(f"quillstone_atspi: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
