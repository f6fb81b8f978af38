/* The mingw-w64 compiler's <float.h> includes the next <float.h> on the path
   for runtime extras; the math sources need none of them. */
