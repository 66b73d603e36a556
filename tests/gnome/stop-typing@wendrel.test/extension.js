// Plays the user who presses the stop button of GNOME's screen-sharing
// indicator: StopAll() on org.gnome.Shell at /io/github/wendrel/StopTyping
// stops every remote-access session the shell knows of.
'use strict';

const { Gio } = imports.gi;

const INTERFACE = `<node><interface name="io.github.wendrel.StopTyping">
  <method name="StopAll"><arg type="u" direction="out" name="stopped"/></method>
</interface></node>`;

class Extension {
    enable() {
        this._handles = [];
        const controller = global.backend.get_remote_access_controller();
        this._signal = controller.connect('new-handle', (_controller, handle) => this._handles.push(handle));
        this._service = Gio.DBusExportedObject.wrapJSObject(INTERFACE, {
            StopAll: () => {
                const count = this._handles.length;
                this._handles.splice(0).forEach(handle => handle.stop());
                return count;
            },
        });
        this._service.export(Gio.DBus.session, '/io/github/wendrel/StopTyping');
    }

    disable() {
        global.backend.get_remote_access_controller().disconnect(this._signal);
        this._service.unexport();
    }
}

function init() {
    return new Extension();
}
