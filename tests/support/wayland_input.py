#!/usr/bin/env python3
"""A keyboard and a pointer for a headless Wayland compositor, held for as long as this runs.

A compositor's headless backend has no input devices; the virtual-keyboard and wlroots
virtual-pointer protocols make them. Tools that make a device for each key or move and drop it at
once (wtype, the wlroots example) make the seat's devices come and go: a client may miss a pointer
that left before it bound one, and each new keyboard sends clients a new keymap, on which Debian's
SDL 2.26 can crash. This keeps one of each for the whole session, the keyboard with a plain US
layout as a real one has. It speaks the wire protocol itself, as no Wayland binding for Python is
packaged.

Commands on stdin, one a line; each is answered "done" once the compositor has handled it:
    key NAME          press and release Escape or F12
    point X Y W H     put the pointer at X,Y of an area W x H that spans the outputs; the seat has
                      no pointer before the first
EOF ends it.
"""
import os
import socket
import struct
import sys
import tempfile

DISPLAY, REGISTRY = 1, 2
KEYMAP = b"""xkb_keymap {
    xkb_keycodes { include "evdev+aliases(qwerty)" };
    xkb_types { include "complete" };
    xkb_compat { include "complete" };
    xkb_symbols { include "pc+us+inet(evdev)" };
};
\0"""
KEYS = {"Escape": 1, "F12": 88}  # Linux input codes
MANAGERS = ("wl_seat", "zwp_virtual_keyboard_manager_v1", "zwlr_virtual_pointer_manager_v1")


class Connection:
    def __init__(self, path):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(path)
        self.pending = b""
        # The server takes new objects only at the next free number.
        self.last_id = REGISTRY

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def send(self, target, opcode, payload=b"", fds=()):
        message = struct.pack("<II", target, (8 + len(payload)) << 16 | opcode) + payload
        socket.send_fds(self.socket, [message], list(fds))

    def events(self):
        while True:
            while len(self.pending) >= 8:
                target, word = struct.unpack_from("<II", self.pending)
                size = word >> 16
                if len(self.pending) < size:
                    break
                body, self.pending = self.pending[8:size], self.pending[size:]
                yield target, word & 0xFFFF, body
            chunk = self.socket.recv(65536)
            if not chunk:
                sys.exit("wayland_input: the compositor closed the connection")
            self.pending += chunk

    # Waits for the compositor to have handled everything sent so far; hands over what it said.
    def round_trip(self):
        callback = self.new_id()
        self.send(DISPLAY, 0, struct.pack("<I", callback))
        said = []
        for target, opcode, body in self.events():
            if target == DISPLAY and opcode == 0:
                sys.exit("wayland_input: protocol error: " + text(body[8:]))
            if target == callback:
                return said
            said.append((target, opcode, body))


def text(body):
    length = struct.unpack_from("<I", body)[0]
    return body[4:4 + length - 1].decode()


def string(value):
    data = value.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def main():
    runtime = os.environ["XDG_RUNTIME_DIR"]
    wayland = Connection(os.path.join(runtime, os.environ.get("WAYLAND_DISPLAY", "wayland-0")))
    wayland.send(DISPLAY, 1, struct.pack("<I", REGISTRY))
    names = {}
    for target, opcode, body in wayland.round_trip():
        if target == REGISTRY and opcode == 0 and text(body[4:]) in MANAGERS:
            names.setdefault(text(body[4:]), struct.unpack_from("<I", body)[0])
    missing = [interface for interface in MANAGERS if interface not in names]
    if missing:
        sys.exit("wayland_input: the compositor offers no " + ", ".join(missing))
    bound = {}
    for interface in MANAGERS:
        bound[interface] = wayland.new_id()
        wayland.send(REGISTRY, 0, struct.pack("<I", names[interface]) + string(interface) +
                     struct.pack("<II", 1, bound[interface]))
    keyboard = wayland.new_id()
    wayland.send(bound["zwp_virtual_keyboard_manager_v1"], 0, struct.pack("<II", bound["wl_seat"], keyboard))
    with tempfile.TemporaryFile() as keymap:
        keymap.write(KEYMAP)
        keymap.flush()
        wayland.send(keyboard, 0, struct.pack("<II", 1, len(KEYMAP)), [keymap.fileno()])  # XKB v1
        wayland.round_trip()
    print("ready", flush=True)
    # The pointer comes with the first move: until then the seat has none, as a keyboard-only one.
    pointer = None
    time_ms = 0
    for line in sys.stdin:
        command, *arguments = line.split()
        time_ms += 20
        if command == "key":
            for state in (1, 0):
                wayland.send(keyboard, 1, struct.pack("<III", time_ms, KEYS[arguments[0]], state))
        elif command == "point":
            x, y, width, height = (int(argument) for argument in arguments)
            if pointer is None:
                pointer = wayland.new_id()
                wayland.send(bound["zwlr_virtual_pointer_manager_v1"], 0, struct.pack("<II", bound["wl_seat"], pointer))
            wayland.send(pointer, 1, struct.pack("<IIIII", time_ms, x, y, width, height))  # motion_absolute
            wayland.send(pointer, 4)  # frame
        else:
            sys.exit(f"wayland_input: no command {command}")
        wayland.round_trip()
        print("done", flush=True)


if __name__ == "__main__":
    main()
