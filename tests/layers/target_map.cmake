# Writes what check_target_includes.cmake needs to know of every target of
# the build: its type, its sources, the targets it links and those it hands
# on to whoever links it, and the include folders it hands on. Called once
# the whole project is configured (deferred to the top-level directory), so
# that every target and every link is there.

# Every target defined in `dir` and below it.
function(ulvo_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    ulvo_targets_below(${subdirectory} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The value of a list property without generator expressions and the
# markers CMake puts around links made from another directory; an unset
# property is an empty list. Links that reach only the linker ($<LINK_ONLY:>,
# a static library's private links) hand on no headers and are dropped too.
function(ulvo_plain_property target property out)
  get_target_property(values ${target} ${property})
  set(plain "")
  if(values)
    foreach(value IN LISTS values)
      if(NOT value MATCHES "^(\\$<|::@)")
        list(APPEND plain ${value})
      endif()
    endforeach()
  endif()
  set(${out} ${plain} PARENT_SCOPE)
endfunction()

function(ulvo_write_target_map file)
  ulvo_targets_below(${PROJECT_SOURCE_DIR} all_targets)
  set(text "set(ulvo_root [==[${PROJECT_SOURCE_DIR}]==])\n")
  string(APPEND text "set(ulvo_binary_root [==[${PROJECT_BINARY_DIR}]==])\n")
  set(targets "")
  foreach(target IN LISTS all_targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    list(APPEND targets ${target})
    get_target_property(folder ${target} SOURCE_DIR)
    ulvo_plain_property(${target} SOURCES sources)
    set(files "")
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder} NORMALIZE)
      list(APPEND files ${source})
    endforeach()
    ulvo_plain_property(${target} LINK_LIBRARIES links)
    ulvo_plain_property(${target} INTERFACE_LINK_LIBRARIES handed_on)
    ulvo_plain_property(${target} INTERFACE_INCLUDE_DIRECTORIES include_folders)
    string(APPEND text
           "set(${target}_type ${type})\n"
           "set(${target}_sources [==[${files}]==])\n"
           "set(${target}_links [==[${links}]==])\n"
           "set(${target}_handed_on [==[${handed_on}]==])\n"
           "set(${target}_include_folders [==[${include_folders}]==])\n")
  endforeach()
  string(APPEND text "set(ulvo_targets [==[${targets}]==])\n")
  file(WRITE ${file} "${text}")
endfunction()
