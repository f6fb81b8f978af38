# Root of the prefix that holds our own builds of the dependencies, one folder
# per target triple (scripts/build-deps fills it): ULVO_DEPS_PREFIX when given,
# else the same folder the scripts use.
if(NOT DEFINED ULVO_DEPS_PREFIX AND DEFINED ENV{ULVO_DEPS_PREFIX})
  set(ULVO_DEPS_PREFIX $ENV{ULVO_DEPS_PREFIX})
endif()
if(NOT DEFINED ULVO_DEPS_PREFIX)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(ULVO_DEPS_PREFIX $ENV{XDG_CACHE_HOME}/ulvofilter-deps)
  else()
    set(ULVO_DEPS_PREFIX $ENV{HOME}/.cache/ulvofilter-deps)
  endif()
endif()
