// Gives the Wendrel task scheduler what GNOME Shell keeps to itself on
// Wayland: which program each window belongs to (its process id), a way to
// bring a program's window to the front, and which program has the focus.
// It offers a small D-Bus interface on the shell's own session-bus name.
'use strict';

const { Gio, Meta } = imports.gi;
const Main = imports.ui.main;

const OBJECT_PATH = '/io/github/wendrel/Windows';
const INTERFACE = `<node>
  <interface name="io.github.wendrel.Windows">
    <method name="List">
      <arg type="a(tusb)" direction="out" name="windows"/>
    </method>
    <method name="Activate">
      <arg type="au" direction="in" name="pids"/>
      <arg type="u" direction="out" name="pid"/>
    </method>
    <method name="FocusedPid">
      <arg type="u" direction="out" name="pid"/>
    </method>
  </interface>
</node>`;

// Normal windows and dialogs on every workspace, minimized ones included.
const SHOWN_TYPES = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG, Meta.WindowType.MODAL_DIALOG];
function windows() {
    return global.get_window_actors().map(a => a.get_meta_window())
        .filter(w => w && SHOWN_TYPES.includes(w.get_window_type()));
}

function pidOf(window) {
    const pid = window ? window.get_pid() : 0;
    return pid > 0 ? pid : 0;
}

class WindowsService {
    // Each window: its id, process id (0 when unknown), title and whether it
    // has the focus.
    List() {
        const focus = global.display.focus_window;
        return windows().map(w => [w.get_id(), pidOf(w), w.get_title() || '', w === focus]);
    }

    // Brings forward a window of one of these processes, unless one of them
    // has the focus already (the topmost one otherwise); the process id of
    // that window, or 0 for none.
    Activate(pids) {
        const focused = pidOf(global.display.focus_window);
        if (focused && pids.includes(focused))
            return focused;
        const window = windows().reverse().find(w => pids.includes(pidOf(w)));
        if (!window)
            return 0;
        if (window.minimized)
            window.unminimize();
        Main.activateWindow(window, global.display.get_current_time_roundtrip());
        return pidOf(window);
    }

    FocusedPid() {
        return pidOf(global.display.focus_window);
    }
}

class Extension {
    enable() {
        this._service = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new WindowsService());
        this._service.export(Gio.DBus.session, OBJECT_PATH);
    }

    disable() {
        this._service.unexport();
        this._service = null;
    }
}

function init() {
    return new Extension();
}
