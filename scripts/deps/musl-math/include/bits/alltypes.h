/* The few types musl's <math.h> and <endian.h> ask for. Integer types come
   from the compiler's own <stdint.h>, which knows the target's data model
   (musl's own headers assume LP64 on x86-64, which 64-bit Windows is not). */
#include <stdint.h>

#if !defined(__FLT_EVAL_METHOD__) || __FLT_EVAL_METHOD__ != 0
#error "double arithmetic must be evaluated in double precision (SSE2, not x87)"
#endif

#if defined(__NEED_float_t) && !defined(__DEFINED_float_t)
typedef float float_t;
#define __DEFINED_float_t
#endif
#if defined(__NEED_double_t) && !defined(__DEFINED_double_t)
typedef double double_t;
#define __DEFINED_double_t
#endif
