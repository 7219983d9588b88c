// The SVG parser's implementation for the logo test, compiled once and without our warnings.
// This copy of the header leaves the C headers to its includer.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define NANOSVG_IMPLEMENTATION
#include <nanosvg.h>
