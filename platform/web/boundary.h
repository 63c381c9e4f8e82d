// What the wasm and the page's scripts say to each other: the kinds of input, the records the page
// fills in, the pictures' file names and what the page keeps in the browser. boundary.cmake writes
// it out as JavaScript constants for library.js and the page's modules, so that both sides read one copy.
#pragma once

#include <stdint.h>

// What varnelo_next_input found queued: nothing, a key, the window's close button, the page
// hidden (a display taken away) or shown again.
enum VarneloInput {
    VARNELO_INPUT_NONE = 0,
    VARNELO_INPUT_KEY = 1,
    VARNELO_INPUT_CLOSE = 2,
    VARNELO_INPUT_HIDDEN = 3,
    VARNELO_INPUT_SHOWN = 4
};

// A queued input, as varnelo_next_input fills it in; key, scan and repeat for a key alone.
struct PageInput {
    int32_t kind;
    int32_t key;
    int32_t scan;
    int32_t repeat;
};

// Where the page has the pointer: nowhere while the canvas has no size; within the canvas's box on
// the page; or on a pixel of the mode, put there by the program or by the arrow keys.
enum VarneloPointer { VARNELO_POINTER_NOWHERE = 0, VARNELO_POINTER_IN_BOX = 1, VARNELO_POINTER_ON_PIXEL = 2 };

// The pointer as varnelo_pointer fills it in: within the box, its place and the box's size, both in
// 1/256 of a CSS pixel, for the program to map to its pixels; on a pixel, that pixel (0,0 before
// any pointer).
struct PagePointer {
    int32_t kind;
    int32_t boxX;
    int32_t boxY;
    int32_t boxWidth;
    int32_t boxHeight;
    int32_t pixelX;
    int32_t pixelY;
};

// The two pictures the program reads, as the page writes them into its file system.
#define VARNELO_SPOT_FILE "spot.tga"
#define VARNELO_SCENE_FILE "scr.tga"

// What the page keeps in localStorage, read back at the next visit: whether the user's own
// pictures wait in IndexedDB, and the shape the picture shows in.
#define VARNELO_KEPT_PICTURES_KEY "varnelo-own-pictures"
#define VARNELO_SHAPE_KEY "varnelo-shape"
