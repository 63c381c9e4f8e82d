#!/usr/bin/env python3
# One virtual keyboard (US) and pointer for the session, over the wire protocol: a device per key (wtype) brings a new
# keymap each time, which can crash Debian's SDL 2.26. Says "ready", then reads "key NAME[+NAME]" (Escape, F12, Return,
# Alt: pressed in order, released in reverse) or "point X Y W H" (X,Y of W x H spanning the outputs) and answers "done"
# once the compositor has handled it.
import os
import socket
import struct
import sys
import tempfile

KEYMAP = (b'xkb_keymap { xkb_keycodes { include "evdev+aliases(qwerty)" }; xkb_types { include "complete" };'
          b' xkb_compat { include "complete" }; xkb_symbols { include "pc+us+inet(evdev)" }; };\0')
KEYS = {"Escape": 1, "F12": 88, "Return": 28, "Alt": 56}  # Linux input codes
MODIFIERS = {"Alt": 1 << 3}  # the keymap's Mod1, which clients read as Alt only when told it is down
wayland = socket.socket(socket.AF_UNIX)
wayland.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
last_id, pending = 1, b""


def send(target, opcode, payload=b"", fds=()):
    socket.send_fds(wayland, [struct.pack("<II", target, (8 + len(payload)) << 16 | opcode) + payload], list(fds))


def new_id():  # the compositor takes new objects only at the next free number
    global last_id
    last_id += 1
    return last_id


def round_trip():  # until the compositor has handled all sent so far; what it said meanwhile
    global pending
    callback, said = new_id(), []
    send(1, 0, struct.pack("<I", callback))
    while True:
        while len(pending) >= 8 and len(pending) >= struct.unpack_from("<I", pending, 4)[0] >> 16:
            target, word = struct.unpack_from("<II", pending)
            body, pending = pending[8:word >> 16], pending[word >> 16:]
            if target == 1 and word & 0xFFFF == 0:
                sys.exit("wayland_input: protocol error: " + body[12:].decode(errors="replace"))
            if target == callback:
                return said
            said.append((target, word & 0xFFFF, body))
        chunk = wayland.recv(65536)
        if not chunk:
            sys.exit("wayland_input: the compositor closed the connection")
        pending += chunk


def bind(globals_, interface):
    if interface not in globals_:
        sys.exit("wayland_input: the compositor offers no " + interface)
    name, text = struct.pack("<I", globals_[interface]), interface.encode() + b"\0"
    send(2, 0, name + struct.pack("<I", len(text)) + text + b"\0" * (-len(text) % 4) + struct.pack("<II", 1, new_id()))
    return last_id


send(1, 1, struct.pack("<I", new_id()))  # the registry, 2
globals_ = {body[8:8 + struct.unpack_from("<I", body, 4)[0] - 1].decode(): struct.unpack_from("<I", body)[0]
            for target, opcode, body in round_trip() if target == 2 and opcode == 0}
seat, keyboards, pointers = (bind(globals_, interface) for interface in
                             ("wl_seat", "zwp_virtual_keyboard_manager_v1", "zwlr_virtual_pointer_manager_v1"))
send(keyboards, 0, struct.pack("<II", seat, new_id()))
keyboard, pointer, time_ms = last_id, None, 0
with tempfile.TemporaryFile() as keymap:
    keymap.write(KEYMAP)
    keymap.flush()
    send(keyboard, 0, struct.pack("<II", 1, len(KEYMAP)), [keymap.fileno()])  # XKB v1
    round_trip()
print("ready", flush=True)
for line in sys.stdin:
    command, *arguments = line.split()
    time_ms += 20
    if command == "key":
        names, held = arguments[0].split("+"), 0
        for state, order in ((1, names), (0, names[::-1])):
            for name in order:
                send(keyboard, 1, struct.pack("<III", time_ms, KEYS[name], state))
                if name in MODIFIERS:
                    held ^= MODIFIERS[name]
                    send(keyboard, 2, struct.pack("<4I", held, 0, 0, 0))  # modifiers: depressed, latched, locked, group
    else:
        if pointer is None:
            send(pointers, 0, struct.pack("<II", seat, new_id()))
            pointer = last_id
        send(pointer, 1, struct.pack("<5I", time_ms, *map(int, arguments)))  # motion_absolute
        send(pointer, 4)  # frame
    round_trip()
    print("done", flush=True)
