# The math functions every build of the filter shares: musl's power,
# exponential, tangent, logarithm, arc tangent, sine and cosine, built for each
# target by scripts/build-deps into the dependency prefix. Defines the
# imported target ulvo::musl_math.
if(DEFINED ULVO_TRIPLE)
  set(ulvo_math_hint)  # cross builds search their prefix folder as a root
else()
  include(${CMAKE_CURRENT_LIST_DIR}/UlvoDepsPrefix.cmake)
  set(ulvo_math_hint ${ULVO_DEPS_PREFIX}/${CMAKE_LIBRARY_ARCHITECTURE}/lib)
endif()
find_library(ULVO_MUSL_MATH_LIBRARY NAMES ulvo_musl_math HINTS ${ulvo_math_hint})
if(NOT ULVO_MUSL_MATH_LIBRARY)
  message(FATAL_ERROR "libulvo_musl_math.a not found in ${ULVO_DEPS_PREFIX}; run scripts/setup")
endif()
add_library(ulvo::musl_math STATIC IMPORTED)
set_target_properties(ulvo::musl_math PROPERTIES IMPORTED_LOCATION ${ULVO_MUSL_MATH_LIBRARY})
