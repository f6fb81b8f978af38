# Fails when a target includes a header of the project that belongs to a
# target it does not link, directly or through what its links hand on; when
# a header of a library needs a target that the library does not hand on
# (link PUBLIC); when a file includes a header that belongs to no target;
# and when a target hands the whole source tree on as an include folder.
# See README.md beside this file. Run as:
#   cmake -DMAP=<the target map the configuration wrote> -P check_target_includes.cmake
cmake_minimum_required(VERSION 3.25)

include(${MAP})

# The file's path below the source tree's root, or "" for a file elsewhere
# (the build tree included).
function(ulvo_tree_path path out)
  set(relative "")
  cmake_path(IS_PREFIX ulvo_root "${path}" NORMALIZE in_tree)
  cmake_path(IS_PREFIX ulvo_binary_root "${path}" NORMALIZE in_build)
  if(in_tree AND NOT in_build)
    cmake_path(RELATIVE_PATH path BASE_DIRECTORY "${ulvo_root}" OUTPUT_VARIABLE relative)
  endif()
  set(${out} "${relative}" PARENT_SCOPE)
endfunction()

# The targets of the project in `start` and every one they hand on, and so on.
function(ulvo_reach start out)
  set(reached "")
  set(queue ${start})
  while(queue)
    list(POP_FRONT queue target)
    if(target IN_LIST reached OR NOT target IN_LIST ulvo_targets)
      continue()
    endif()
    list(APPEND reached ${target})
    list(APPEND queue ${${target}_handed_on})
  endwhile()
  set(${out} ${reached} PARENT_SCOPE)
endfunction()

set(faults "")
set(unowned "")

# Who owns what: a header a target lists among its sources, the header
# beside each file it compiles (foo.h for foo.cpp, foo_win.cpp and
# foo_posix.cpp), and whatever lies in an include folder it hands on other
# than the root. A header may have several owners (a source compiled into
# several programs).
set(generated_folders "")
foreach(target IN LISTS ulvo_targets)
  set(${target}_compiled "")
  set(${target}_headers "")
  foreach(source IN LISTS ${target}_sources)
    ulvo_tree_path("${source}" file)
    if(file MATCHES "\\.(h|hpp|inc)$")
      list(APPEND ${target}_headers ${file})
    elseif(file MATCHES "\\.(c|cc|cpp)$")
      list(APPEND ${target}_compiled ${file})
      string(REGEX REPLACE "\\.[a-z]+$" "" stem "${file}")
      string(REGEX REPLACE "_(win|posix)$" "" platform_stem "${stem}")
      foreach(header IN ITEMS ${stem}.h ${platform_stem}.h)
        if(EXISTS ${ulvo_root}/${header})
          list(APPEND ${target}_headers ${header})
        endif()
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES ${target}_headers)
  foreach(header IN LISTS ${target}_headers)
    list(APPEND owners_${header} ${target})
  endforeach()
  foreach(folder IN LISTS ${target}_include_folders)
    cmake_path(COMPARE "${folder}" EQUAL "${ulvo_root}" whole_tree)
    if(whole_tree)
      string(APPEND faults "${target}: hands the whole source tree on as an include folder "
                           "(state it PRIVATE: each target states its own)\n")
    else()
      list(APPEND generated_folders ${folder})
      set(folder_owner_${folder} ${target})
    endif()
  endforeach()
endforeach()

foreach(target IN LISTS ulvo_targets)
  # What the target's own files may use, and what its headers may use: a
  # library's headers are read by whoever links it, so what they include
  # must be handed on.
  ulvo_reach("${${target}_links}" linked)
  if(${target}_type MATCHES "^(STATIC|SHARED|OBJECT|INTERFACE)_LIBRARY$")
    ulvo_reach("${${target}_handed_on}" handed_on)
    set(header_scope " PUBLIC")
  else()
    set(handed_on ${linked})  # a program's headers are its own business
    set(header_scope "")
  endif()

  foreach(file IN LISTS ${target}_compiled ${target}_headers)
    if(file IN_LIST ${target}_compiled)
      set(may_use ${linked})
      set(scope "")
    else()
      set(may_use ${handed_on})
      set(scope "${header_scope}")
    endif()
    get_filename_component(folder ${file} DIRECTORY)
    file(STRINGS ${ulvo_root}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" name "${line}")
      # Root-relative first, then beside the file, then in a generated folder.
      set(header "")
      set(owners "")
      foreach(candidate IN ITEMS ${name} ${folder}/${name})
        cmake_path(NORMAL_PATH candidate)
        if(NOT header AND EXISTS ${ulvo_root}/${candidate}
           AND NOT IS_DIRECTORY ${ulvo_root}/${candidate})
          set(header ${candidate})
          set(owners ${owners_${candidate}})
        endif()
      endforeach()
      if(NOT header)
        foreach(generated IN LISTS generated_folders)
          if(NOT header AND EXISTS ${generated}/${name})
            set(header ${name})
            set(owners ${folder_owner_${generated}})
          endif()
        endforeach()
      endif()
      if(NOT header OR target IN_LIST owners)
        continue()  # a system or third-party header, or one of its own
      endif()
      if(NOT owners)
        if(NOT header IN_LIST unowned)
          list(APPEND unowned ${header})
          string(APPEND faults "${header} belongs to no target (list it among the sources of "
                               "the target it belongs to); ${target} includes it in ${file}\n")
        endif()
        continue()
      endif()
      set(found FALSE)
      foreach(owner IN LISTS owners)
        if(owner IN_LIST may_use)
          set(found TRUE)
        endif()
      endforeach()
      if(NOT found)
        string(REPLACE ";" " or " owner_text "${owners}")
        string(APPEND faults "${target}: ${file} includes ${header}, but ${target} does not link "
                             "${owner_text}${scope}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Targets that include what they do not link:\n${faults}")
endif()
