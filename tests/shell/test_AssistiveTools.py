#!/usr/bin/python3
"""What a screen reader finds: the real program, started with the desktop's
accessibility on, read and driven through AT-SPI (the accessibility bus of the
Linux desktop) with the standard Python bindings.

  test_AssistiveTools.py PROGRAM

Runs on a private X server (Xvfb), a private session bus and the accessibility
bus that the session bus starts for it (at-spi-bus-launcher), with its own
user folders; the pages are local files and the desktop's default handler for
links is a script that writes down what it was given. Every wait is for an
exact state of the tree or of a file, bounded only to end a hang.

1. The program starts with the desktop's accessibility status off: its windows
   are on the bus, the page's content is not. The status is turned on: the
   page's heading, link and form field appear under the document.
2. An address typed into the address box and "Press" on Go opens it (the
   status bar announces its texts); "Press" on Back returns.
3. The options dialog and the about box (from the window menu), the find box
   (Ctrl+F) and a question window (a page's prompt) are opened, and the tree
   is checked against one table: every window and control with its role, its
   name and its actions.
4. "jump" on the about box's home-page link hands its address to the desktop's
   handler, as a click does; "Press" on the buttons closes the windows.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HANG_S = 120.0  # bounds a hang only; every wait ends at the state it waits for
POLL_S = 0.05   # how often a state is looked at again while waiting for it

VERSION = r"v\S+"
# The one table: where (a window's name), role, name, actions. Names are
# regular expressions matched whole.
TABLE = [
    # the main window and what it holds
    ("main", "frame", rf"Skerrywind {VERSION} - \[Prompt page\]", []),
    ("main", "filler", r"Page", []),
    ("main", "document web", r"Page one|Prompt page", None),
    ("main", "status bar", r"Status", []),
    ("main", "label", r"Opening page .*", []),
    # the toolbar and its eight controls
    ("toolbar", "frame", r"Skerrywind Toolbar", []),
    ("toolbar", "push button", r"Back", ["Press", "SetFocus"]),
    ("toolbar", "push button", r"Forward", ["Press", "SetFocus"]),
    ("toolbar", "push button", r"Stop", ["Press", "SetFocus"]),
    ("toolbar", "push button", r"Refresh", ["Press", "SetFocus"]),
    ("toolbar", "push button", r"Home", ["Press", "SetFocus"]),
    ("toolbar", "push button", r"Search", ["Press", "SetFocus"]),
    ("toolbar", "text", r"Address", ["SetFocus"]),
    ("toolbar", "push button", r"Go", ["Press"]),
    # the find box over the page
    ("main", "panel", r"Find in page", []),
    ("main", "text", r"Find in page", ["SetFocus"]),
    ("main", "push button", r"Previous match", ["Press"]),
    ("main", "push button", r"Next match", ["Press"]),
    ("main", "push button", r"Close find box", ["Press"]),
    # the options dialog
    ("options", "dialog", r"Skerrywind Options", []),
    ("options", "panel", r"Defaults", []),
    ("options", "panel", r"Homepage", []),
    ("options", "text", r"Homepage", ["SetFocus"]),
    ("options", "panel", r"Search Page", []),
    ("options", "text", r"Search Page", ["SetFocus"]),
    ("options", "panel", r"Floating Toolbar", []),
    ("options", "radio button", r"Show", None),
    ("options", "radio button", r"Hide", None),
    ("options", "push button", r"Ok", ["Press"]),
    ("options", "push button", r"Cancel", ["Press"]),
    # the about box
    ("about", "dialog", r"About Skerrywind", []),
    ("about", "link", r"https://skerrywind\.org/", ["jump"]),
    ("about", "link", r"Ewan Marsh", ["jump"]),
    ("about", "push button", r"OK", ["Press"]),
    # a question window: a page's prompt
    ("question", "dialog", r"file says", []),
    ("question", "text", r"Answer", ["SetFocus"]),
    ("question", "push button", r"OK", ["Press"]),
    ("question", "push button", r"Cancel", ["Press"]),
]
WINDOWS = {
    "main": ("frame", rf"Skerrywind {VERSION}( - \[.*\])?"),
    "toolbar": ("frame", r"Skerrywind Toolbar"),
    "options": ("dialog", r"Skerrywind Options"),
    "about": ("dialog", r"About Skerrywind"),
    "question": ("dialog", r"file says"),
}

PAGES = {
    "one.html": """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Page one</title></head>
<body><h1>Heading one</h1><p><a href="two.html">Link to two</a></p>
<p><label>Your name <input type="text"></label></p></body></html>""",
    "two.html": """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Page two</title></head>
<body><h1>Heading two</h1></body></html>""",
    "prompt.html": """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Prompt page</title></head>
<body><h1>Asks</h1><script>window.onload = () => prompt("Your answer?", "");</script></body></html>""",
}


class Failure(Exception):
    pass


EVENTS = []        # (type, source) of the events the bindings delivered
WATCHED = []       # processes whose end fails the wait at once


def pump():
    """Lets the bindings deliver the events that have come."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(what, probe, bound=HANG_S):
    """The first true value probe() gives; fails naming `what` after `bound`."""
    from gi.repository import GLib
    deadline = time.monotonic() + bound
    while True:
        pump()
        try:
            value = probe()
        except GLib.Error:
            value = None  # a node went while the tree was read: read it again
        if value:
            return value
        for process in WATCHED:
            if process.poll() is not None:
                raise Failure(f"the program ended (status {process.returncode}) while waiting for {what}")
        if time.monotonic() > deadline:
            raise Failure(f"no {what} within {bound:.0f} s")
        time.sleep(POLL_S)


# ---------------------------------------------------------------- the session

class Session:
    """Xvfb, a private session bus (which starts the accessibility bus on
    demand) and the folders of one run."""

    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="skerrywind-atspi-"))
        self.processes = []
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("DBUS_", "AT_SPI", "XDG_", "QT_", "WAYLAND", "DISPLAY", "QTWEBENGINE_"))}
        for sub in ("config", "data", "cache", "runtime", "bin", "pages"):
            (self.folder / sub).mkdir()
        (self.folder / "runtime").chmod(0o700)
        env.update(HOME=str(self.folder), XDG_CONFIG_HOME=str(self.folder / "config"),
                   XDG_DATA_HOME=str(self.folder / "data"), XDG_CACHE_HOME=str(self.folder / "cache"),
                   XDG_RUNTIME_DIR=str(self.folder / "runtime"),
                   PATH=f"{self.folder / 'bin'}:{env.get('PATH', '/usr/bin:/bin')}")
        self.env = env
        self.start_display()
        self.start_bus()
        for name, text in PAGES.items():
            (self.folder / "pages" / name).write_text(text, encoding="utf-8")
        # The desktop's handler for links: writes down what it is given.
        self.opened = self.folder / "opened.txt"
        opener = self.folder / "bin" / "xdg-open"
        opener.write_text(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{self.opened}"\n')
        opener.chmod(0o755)

    def page(self, name):
        return (self.folder / "pages" / name).as_uri()

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        """Xvfb on a display that nothing answers on, in the file system or in
        the abstract socket namespace (which X clients try first, and which
        programs with a /tmp of their own share with this one)."""
        self.xvfb_log = self.folder / "xvfb.log"
        first = 100 + os.getpid() % 800
        for number in range(first, first + 50):
            if display_answers(number):
                continue
            read_fd, write_fd = os.pipe()
            xvfb = self.spawn(["Xvfb", f":{number}", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=self.xvfb_log.open("w"))
            os.close(write_fd)
            with os.fdopen(read_fd) as f:
                ready = f.readline().strip()
            if ready == str(number):
                self.env["DISPLAY"] = f":{number}"
                return
            xvfb.wait()
        raise Failure("Xvfb did not start: " + self.xvfb_log.read_text(errors="replace"))

    def start_bus(self):
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            raise Failure("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # The bindings read the bus from the environment when they start.
        os.environ.update({k: self.env[k] for k in ("DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "XDG_RUNTIME_DIR")})

    def close(self):
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def display_answers(number):
    import socket
    for address in (f"\0/tmp/.X11-unix/X{number}", f"/tmp/.X11-unix/X{number}"):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
            try:
                probe.connect(address)
                return True
            except OSError:
                pass
    return os.path.exists(f"/tmp/.X{number}-lock")


def set_desktop_accessibility(on):
    """What the desktop's settings (or a screen reader starting) do: the
    accessibility status on the session bus, which starts the service."""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", on))),
                  None, Gio.DBusCallFlags.NONE, int(HANG_S * 1000), None)


# ---------------------------------------------------------------- the tree

def actions_of(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def descendants(node, depth=0):
    """Every node under `node`, depth first, with its depth."""
    for child in node:
        if child is None:
            continue
        yield child, depth + 1
        yield from descendants(child, depth + 1)


def application():
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "skerrywind":
            # Every question goes to the program: a state kept from an
            # earlier answer would hide the change the test waits for.
            from gi.repository import Atspi
            app.set_cache_mask(Atspi.Cache.NONE)
            return app
    return None


def window(app, key):
    role, name = WINDOWS[key]
    for child in app:
        if child is not None and child.getRoleName() == role and re.fullmatch(name, child.name):
            return child
    return None


def find(node, role, name):
    for child, _ in descendants(node):
        if child.getRoleName() == role and re.fullmatch(name, child.name):
            return child
    return None


def dump(node):
    lines = [f"{node.getRoleName()!r} {node.name!r} {actions_of(node)}"]
    for child, depth in descendants(node):
        lines.append("  " * depth + f"{child.getRoleName()!r} {child.name!r} {actions_of(child)}")
    return "\n".join(lines)


def describe(node):
    try:
        return f"{node.getRoleName()} {node.name!r}"
    except Exception as error:  # a node that is gone
        return f"({error})"


def in_window(key, role, name):
    """A probe: the control in the window, once both are there."""
    def probe():
        app = application()
        win = app and window(app, key)
        if not win:
            return None
        if win.getRoleName() == role and re.fullmatch(name, win.name):
            return win
        return find(win, role, name)
    return probe


def do_action(node, name):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            action.doAction(i)
            return
    raise Failure(f"{node.getRoleName()} {node.name!r} has no action {name!r}")


def centre(node):
    import pyatspi
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


def window_menu_item(item):
    """Right-click on the status bar opens the main window's window menu; the
    item's "Press" runs its command once the menu has closed. A menu is no
    child of the application: it is known by the event that it shows."""
    import pyatspi
    status = wait_for("status bar", in_window("main", "status bar", r"Status"))
    EVENTS.clear()
    x, y = centre(status)
    pyatspi.Registry.generateMouseEvent(x, y, "b3c")

    def shown_item():
        for kind, source in EVENTS:
            if kind == "object:state-changed:showing" and source.getRoleName() == "popup menu":
                return find(source, "menu item", re.escape(item))
        return None
    do_action(wait_for(f"menu item {item}", shown_item), "Press")


def press_ctrl(keysym):
    """Ctrl and a key, as an assistive tool sends keys: to the window that
    has the keyboard focus."""
    import pyatspi
    control_mask = 1 << 2
    pyatspi.Registry.generateKeyboardEvent(control_mask, None, pyatspi.KEY_LOCKMODIFIERS)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    pyatspi.Registry.generateKeyboardEvent(control_mask, None, pyatspi.KEY_UNLOCKMODIFIERS)


def table_problems():
    """What differs from the table, row by row; nothing when every row is there."""
    app = application()
    problems = []
    for key, role, name, actions in TABLE:
        win = window(app, key)
        if win is None:
            problems.append(f"no {key} window")
            continue
        node = win if win.getRoleName() == role and re.fullmatch(name, win.name) else find(win, role, name)
        if node is None:
            problems.append(f"{key}: no {role} named {name!r}")
        elif not node.name:
            problems.append(f"{key}: {role} without a name")
        elif actions is not None and actions_of(node) != actions:
            problems.append(f"{key}: {role} {node.name!r} has actions {actions_of(node)}, not {actions}")
    return problems


def check_table():
    """Waits for the tree to show every row of the table (the page's title
    and status come by their own ways and may be a moment behind)."""
    problems = []

    def matches():
        problems[:] = table_problems()
        return not problems
    try:
        wait_for("tree that matches the table", matches)
    except Failure:
        raise Failure("the tree differs from the table:\n  " + "\n  ".join(problems)) from None


def hidden(node):
    import pyatspi
    return node is None or not node.getState().contains(pyatspi.STATE_SHOWING)


def gone(key):
    """A probe: the window is hidden or unloaded."""
    return lambda: hidden(window(application(), key))


def open_by_address(session, name):
    """The page's address typed into the address box, then "Press" on Go."""
    address = wait_for("address box", in_window("toolbar", "text", r"Address"))
    address.queryEditableText().setTextContents(session.page(name))
    do_action(wait_for("Go", in_window("toolbar", "push button", r"Go")), "Press")


# ---------------------------------------------------------------- the run

def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = sys.argv[1]
    session = Session()
    log = session.folder / "program.log"
    try:
        return run(session, program, log)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        print("last events:", [(kind, describe(source)) for kind, source in EVENTS[-20:]], file=sys.stderr)
        app = application()
        if app:
            print(dump(app), file=sys.stderr)
        print("the program's output, last lines:", file=sys.stderr)
        print("\n".join(log.read_text(errors="replace").splitlines()[-30:]), file=sys.stderr)
        print("the X server's output:", file=sys.stderr)
        print(session.xvfb_log.read_text(errors="replace")[-3000:], file=sys.stderr)
        return 1
    finally:
        session.close()


def run(session, program, log):
    set_desktop_accessibility(False)
    WATCHED.append(session.spawn([program, session.page("one.html")], stdout=subprocess.DEVNULL,
                                 stderr=log.open("w")))
    import pyatspi

    # 1. On the bus with the status off; the page's content follows the status.
    wait_for("main window with page one", in_window("main", "frame", rf"Skerrywind {VERSION} - \[Page one\]"))
    document = wait_for("the page's document", in_window("main", "document web", r".*"))
    if document.childCount:
        raise Failure("the page's content is on the bus while the desktop's accessibility is off")
    set_desktop_accessibility(True)
    wait_for("the page's heading", in_window("main", "heading", r"Heading one"))
    wait_for("the page's link", in_window("main", "link", r"Link to two"))
    wait_for("the page's form field", in_window("main", "text", r"Your name"))

    # The events that tell what shows and what has the focus.
    pyatspi.Registry.registerEventListener(lambda event: EVENTS.append((event.type, event.source)),
                                           "object:state-changed", "object:property-change:accessible-name")

    # 2. Go and Back.
    open_by_address(session, "two.html")
    wait_for("page two", in_window("main", "frame", rf"Skerrywind {VERSION} - \[Page two\]"))
    # The status bar's text changes are announced.
    wait_for("an announced status text", lambda: any(
        kind == "object:property-change:accessible-name" and source.getRoleName() == "label"
        and source.parent is not None and source.parent.getRoleName() == "status bar" for kind, source in EVENTS))
    do_action(wait_for("Back", in_window("toolbar", "push button", r"Back")), "Press")
    wait_for("page one again", in_window("main", "frame", rf"Skerrywind {VERSION} - \[Page one\]"))
    # The page's tree comes by the engine's own way, after the title: it is
    # waited for here, since the prompt page blocks its page process later.
    wait_for("page one's document again", in_window("main", "document web", r"Page one"))

    # 3. Every window open, then the one table. Ctrl+F goes to the window
    # that has the keyboard focus: the main window, once a click on the page
    # made it the active one (without a window manager the toolbar does not
    # stay above it, so the page is where a click surely lands).
    x, y = centre(wait_for("the page", in_window("main", "filler", r"Page")))
    pyatspi.Registry.generateMouseEvent(x, y, "b1c")
    wait_for("the main window active", lambda: window(application(), "main").getState().contains(pyatspi.STATE_ACTIVE))
    press_ctrl(ord("f"))
    wait_for("find box", in_window("main", "panel", r"Find in page"))
    window_menu_item("Skerrywind Options...")
    wait_for("options dialog", in_window("options", "dialog", r"Skerrywind Options"))
    window_menu_item("About Skerrywind...")
    wait_for("about box", in_window("about", "dialog", r"About Skerrywind"))
    open_by_address(session, "prompt.html")
    wait_for("question window", in_window("question", "text", r"Answer"))
    check_table()

    # 4. The link's jump, and the buttons that close the windows.
    link = wait_for("home-page link", in_window("about", "link", r"https://skerrywind\.org/"))
    do_action(link, "jump")
    wait_for("the link handed to the desktop",
             lambda: session.opened.exists() and session.opened.read_text().splitlines() == ["https://skerrywind.org/"])
    for key, name in (("about", "OK"), ("question", "Cancel"), ("options", "Cancel")):
        do_action(wait_for(f"{key}'s {name}", in_window(key, "push button", name)), "Press")
        wait_for(f"{key} window closed by its {name}", gone(key))
    do_action(wait_for("find box's close", in_window("main", "push button", r"Close find box")), "Press")
    wait_for("find box closed", lambda: hidden(in_window("main", "panel", r"Find in page")()))
    print("test_AssistiveTools: every row of the table found; Go, Back, the link and the buttons acted")
    return 0


if __name__ == "__main__":
    sys.exit(main())
