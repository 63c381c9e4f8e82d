// The forms of varnelo-render as main.cpp's table runs them: what a form is handed once its
// words are checked, and the function behind each row. Each returns the exit code: 0 success,
// 1 a file could not be read or written.
#pragma once

// The words after the program name, checked against the form's row: every option is one the
// form takes, given once, with a value that is not empty; the input's value passed its check.
struct FormArguments {
    const char* input;
    const char* output;
    int argc;
    char** argv;
    // The value of an option the form takes, or `absent` when it was not given.
    const char* ValueOr(const char* option, const char* absent) const;
};

// picture_form.cpp: a TGA picture to a 24-bit BMP through the true-colour load or through the
// indexed load with its palette applied; a photo to the TGA file the demo reads as its scene or spot.
int ConvertTrueColour(const FormArguments& arguments);
int ConvertIndexed(const FormArguments& arguments);
int FitPhotoAsScene(const FormArguments& arguments);
int FitPhotoAsSpot(const FormArguments& arguments);

// frame_form.cpp: the frame the running program shows for a mouse position, as its screenshot.
int RenderFrame(const FormArguments& arguments);
// Null when the text is a position X,Y; else what is wrong with it.
const char* PositionProblem(const char* text);
