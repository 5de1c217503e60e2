#!/usr/bin/python3
"""Walks the updater's wizard as a screen reader does, on a display of its own.

    accessible_tree.py UPDATER KIT APPLICATIONS TREE-FILE

Starts Xvfb, then itself again inside a private D-Bus session (where the
accessibility bus starts on demand), starts the updater there and goes
through the pages with the buttons' own actions: Next, a row of the folder
list, Next, Next (the update runs), Close. On each page it writes the
accessible tree of the window to TREE-FILE and checks what a screen reader
would say. An updater whose window never reaches the display is told, with
what it said and, when it still runs, where its threads wait; it is started
once more. Exits 0 when all holds, 1 with the faults on standard output (3
when the updater ended before its window showed), and 77 with the reason when
something it needs is missing here, or when twice the updater ran on and its
window never reached the display: the display or the buses here hold it
back, and nothing could be heard.
"""

import os
import shutil
import subprocess
import sys
import time

SKIP = 77
NEVER_SHOWN = 3  # the updater ended before its window showed
HELD_BACK = 4  # the updater kept running, and its window never showed


def skip(reason):
    print(reason)
    sys.exit(SKIP)


def outer(argv):
    for tool in ("Xvfb", "dbus-run-session", "xwininfo", "xprop"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        skip("at-spi2-core is not installed")
    # A window that never reached the display says nothing about what a
    # screen reader hears; such a start is told and tried once more, on a
    # display and a D-Bus session of its own.
    status = walk_once(argv)
    if status in (NEVER_SHOWN, HELD_BACK):
        print("(the first start is told above; a second start follows)")
        status = walk_once(argv)
    if status == HELD_BACK:
        skip("twice the updater ran on and its window never reached the display (told above)")
    return status


def walk_once(argv):
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as displays:
            display = displays.readline().strip()
        if not display:
            skip("Xvfb did not start")
        env = dict(os.environ, DISPLAY=":" + display)
        inner = subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--inner"] + argv,
                               env=env, timeout=150)
        return inner.returncode
    finally:
        xvfb.kill()
        xvfb.wait()


def states_of(node):
    return node.getState()


def showing(node):
    import pyatspi
    return states_of(node).contains(pyatspi.STATE_SHOWING)


def walk(node, depth, lines, found):
    """Appends the shown nodes under node to lines, and (role, name) pairs to found."""
    import pyatspi
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is None or not showing(child):
            continue
        role = child.getRoleName()
        name = child.name or ""
        extra = ""
        if child.getRole() == pyatspi.ROLE_PROGRESS_BAR:
            try:
                extra = f" value={child.queryValue().currentValue:g}"
            except NotImplementedError:
                extra = " value=none"
        lines.append(f"{'  ' * depth}{role} \"{name}\"{extra}")
        found.append((child.getRole(), role, name, child))
        walk(child, depth + 1, lines, found)


def inner(argv):
    try:
        import pyatspi
    except ImportError:
        skip("python3-pyatspi is not installed")
    updater, kit, applications, tree_file = argv
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1", ASAN_OPTIONS="detect_leaks=0")
    # What the updater says is kept for the report of a walk that failed.
    said = open(tree_file + ".updater-output", "w+")
    program = subprocess.Popen([updater, "--bundle", kit, "--applications", applications], env=env,
                               stdin=subprocess.DEVNULL, stdout=said, stderr=subprocess.STDOUT)
    faults = []
    pages = []
    never_shown = False
    held_back = False

    def until(what, test, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = test()
            if value:
                return value
            if program.poll() is not None:
                raise RuntimeError(f"the updater ended while waiting for {what}")
            time.sleep(0.02)
        raise TimeoutError(what)

    def main_window():
        desktop = pyatspi.Registry.getDesktop(0)
        # Without a main loop the desktop's list of applications is not kept
        # up to date: ask it anew each time.
        desktop.clear_cache()
        for app in desktop:
            if app is None or "patchwell" not in (app.name or "").lower():
                continue
            for window in app:
                if window is not None and window.name == "Patchwell Updater" and showing(window):
                    return window
        return None

    def page(title, keep=True):
        lines, found = [], []
        walk(window, 1, lines, found)
        if not keep:
            return found
        pages.append(f"== {title}\n" + "\n".join(lines))
        for role, role_name, name, node in found:
            if role in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_TREE,
                        pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_TEXT,
                        pyatspi.ROLE_ENTRY) and not name:
                faults.append(f"{title}: a {role_name} without a name")
        return found

    def expect(found, title, role, name):
        if not any(r == role and n == name for r, _, n, _ in found):
            faults.append(f"{title}: no {pyatspi.Role(role).__str__()} named \"{name}\"")

    def press(found, name):
        for role, _, n, node in found:
            if role == pyatspi.ROLE_PUSH_BUTTON and n == name:
                action = node.queryAction()
                for i in range(action.nActions):
                    if action.getName(i).lower() in ("press", "click", "activate"):
                        action.doAction(i)
                        return
        raise RuntimeError(f"no button \"{name}\" to press")

    try:
        try:
            wid = until("the window on the display", lambda: window_id("Patchwell Updater"), 60)
        except (TimeoutError, RuntimeError):
            never_shown = True
            raise
        window = until("the window on the accessibility bus", main_window)
        icon = subprocess.run(["xprop", "-id", wid, "_NET_WM_ICON"], capture_output=True, text=True).stdout
        if "_NET_WM_ICON(CARDINAL)" not in icon:
            faults.append("the window has no icon (_NET_WM_ICON)")
        time.sleep(3.5)  # the splash goes after three seconds

        found = page("welcome")
        expect(found, "welcome", pyatspi.ROLE_TEXT, "About this update")
        expect(found, "welcome", pyatspi.ROLE_PUSH_BUTTON, "Next >")
        press(found, "Next >")
        until("the folder page", lambda: any(n == "Copies of Patchwell" for _, _, n, _ in page("", False)))
        found = page("folder")
        lists = [node for role, _, n, node in found if n == "Copies of Patchwell"
                 and role in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST)]
        if not lists:
            faults.append("folder: no list named \"Copies of Patchwell\"")
            raise RuntimeError("cannot choose a copy")
        lists[0].queryTable().addRowSelection(0)  # as a screen reader's user chooses a row
        time.sleep(0.5)
        press(page("", False), "Next >")
        until("the confirmation page", lambda: not any(n == "Copies of Patchwell" for _, _, n, _ in page("", False)))
        found = page("confirmation")
        # The bar is in the tree before its page shows; during the run only
        # it is asked, so that its moves are heard.
        bars = pyatspi.findAllDescendants(
            window, lambda node: node.getRole() == pyatspi.ROLE_PROGRESS_BAR and node.name == "Installation progress")
        cancel = [node for role, _, n, node in found if role == pyatspi.ROLE_PUSH_BUTTON and n == "Cancel"]
        press(found, "Next >")
        values = set()

        def progress():
            for bar in bars:
                if showing(bar):
                    values.add(bar.queryValue().currentValue)
            return cancel[0].name == "Close"  # the update is done

        until("the end of the update", progress, 120)
        heard = " ".join(f"{value:g}" for value in sorted(values))
        pages.append(f"== progress (only the bar is asked while the update runs)\n  progress bar "
                     f"\"Installation progress\" values heard: {heard}")
        if not values:
            faults.append(f"progress: no progress bar named \"Installation progress\" was heard ({len(bars)} in the tree)")
        elif max(values) <= 0:
            faults.append(f"progress: the bar's value stayed at {max(values):g}")
        found = page("done")
        press(found, "Close")
        program.wait(30)
    except Exception as error:  # noqa: BLE001 - every failure is reported as a fault
        faults.append(f"stopped: {type(error).__name__}: {error}")
        status = program.poll()
        faults.append("the updater " + ("is still running" if status is None else f"ended with status {status}")
                      + "; the display's windows: " + ", ".join(window_titles()))
        if status is None and never_shown:
            held_back = True
            faults.append("where its threads wait:\n" + backtraces(program.pid))
        said.seek(0)
        faults.append("the updater said:\n" + said.read()[-4000:])
    finally:
        if program.poll() is None:
            program.kill()
        program.wait()
        with open(tree_file, "w") as out:
            out.write("\n".join(pages) + "\n")
    for fault in faults:
        print(fault)
    return HELD_BACK if held_back else NEVER_SHOWN if never_shown else 1 if faults else 0


def window_id(title):
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    for line in tree.splitlines():
        if f'"{title}"' in line:
            return line.split()[0]
    return None


def backtraces(pid):
    if not shutil.which("gdb"):
        return "(gdb is not installed)"
    run = subprocess.run(["gdb", "-batch", "-p", str(pid), "-ex", "thread apply all bt 12"],
                         capture_output=True, text=True, timeout=60)
    return "\n".join(line for line in (run.stdout + run.stderr).splitlines() if line.startswith(("#", "Thread")))[-6000:]


def window_titles():
    run = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True)
    if run.returncode != 0:
        return [f"none, xwininfo failed: {run.stderr.strip()}"]
    return sorted({line.split('"')[1] for line in run.stdout.splitlines() if line.count('"') >= 2}) or ["none"]


if __name__ == "__main__":
    if sys.argv[1:2] == ["--inner"]:
        sys.exit(inner(sys.argv[2:]))
    if len(sys.argv) != 5:
        print(__doc__)
        sys.exit(2)
    sys.exit(outer(sys.argv[1:]))
