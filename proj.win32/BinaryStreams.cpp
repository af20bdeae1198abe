// pavlune-export writes the bytes of the board's line to its standard output:
// in the C runtime's default text mode every "\n" would become "\r\n". Both
// standard streams are switched to binary before main runs; a console shows
// the UTF-8 text as it is, and has its own code page back at the end.
#include "proj.win32/ConsoleCodePage.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {

struct BinaryStandardStreams {
    BinaryStandardStreams() {
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
    ConsoleCodePage utf8;
};

const BinaryStandardStreams binaryStandardStreams;

} // namespace
