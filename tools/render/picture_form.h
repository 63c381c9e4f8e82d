// The forms of varnelo-render with a picture in and a picture out. Like every form, it parses the
// arguments after the program name, known options each with a value that is not empty, and
// returns the exit code: 0 success, 1 a file could not be read or written, 2 bad usage.
#pragma once

// In the order of their options: --picture, --indexed, --fit-scene, --fit-light.
enum class PictureForm { TrueColour, Indexed, FitScene, FitLight };

int RunPictureForm(int argc, char** argv, PictureForm form);
