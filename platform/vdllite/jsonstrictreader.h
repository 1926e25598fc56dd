#ifndef KZEMBA_VDLLITE_JSONSTRICTREADER_H
#define KZEMBA_VDLLITE_JSONSTRICTREADER_H

#include <json/value.h>

/// A quick reader for the plain JSON that pages and servers send almost always: objects,
/// arrays, strings with the short escapes, integers of up to 18 digits, true, false and null.
/// Long strings are scanned with memchr instead of byte by byte. It gives up on anything
/// else (comments, other numbers, \u escapes, a byte order mark, malformed text, a limit
/// reached); then the full reader decides, so that every answer and error stays the one the
/// full reader gives. What it does read, it reads to the very value the full reader builds.
class JsonStrictReader
{
public:
    // True when the whole text was read into `root`; false when the full reader must decide
    // (`root` is then unspecified).
    static bool read(const char* begin, const char* end, Json::Value& root, int maxDepth, int maxItems);
};

#endif
