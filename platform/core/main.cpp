// The entry point off Windows where the program reads no start options (the web page).
#include "platform/core/standins.h"

int main() { return standins::RunProgram(); }
