#pragma once
// Internal checks of the draw objects: a broken invariant is written to the error
// log with its source file and line, and the caller gives up the operation.
#include "log/ErrorLog.h"

#define DRAW_CHECK(expr, file)                                                                  \
    ((expr) ? true                                                                              \
            : (g_ErrorLog.Printf("Assertion failed: %s, file %s, line %d", #expr, file, __LINE__), \
               false))
