# Fails when a folder includes a header of a folder it may not use (the
# layers only reach downwards), when a file outside the Windows folders and
# "_win" files includes a Windows system header, or when the headless
# editor's script player and its fake window system reach each other other
# than through their two interfaces. Run as: cmake -DROOT=<repository> -P check_layers.cmake
#
# Every folder with sources below src/, tools/, bench/ and tests/ is a unit
# of its own, the editor's subfolders too. A unit's entry lists the units it
# may include besides itself; "folder/*" stands for every unit below folder.
cmake_minimum_required(VERSION 3.25)

set(allowed_src/engine "")
set(allowed_src/imageio "")
set(allowed_src/job "")
set(allowed_src/render "src/engine")
set(allowed_src/resources "")
set(allowed_src/win32 "")
set(allowed_src/settings "src/win32")
set(allowed_src/host "src/job")
# The editor's portable logic decides everything and knows neither platform;
# the platforms build on it. The automation script's parser needs nothing.
set(allowed_src/editor/script "")
set(allowed_src/editor
    "src/editor/script;src/engine;src/imageio;src/job;src/render;src/resources;src/settings")
set(allowed_src/editor/headless
    "src/editor;src/editor/script;src/job;src/resources;src/settings")
set(allowed_src/editor/win32
    "src/editor;src/editor/script;src/job;src/resources;src/settings;src/win32")
set(allowed_src/module "src/editor;src/host;src/job")
# The tools: the command-line tool renders through the engine and the render
# library; the stand-in host knows the module only by its records and
# entry point, never its code.
set(allowed_tools/ulvofilter "src/engine;src/host;src/imageio;src/job;src/render")
set(allowed_tools/ulvohost "src/editor/script;src/host/filter_record.h;src/imageio;src/win32")
set(allowed_bench "src/engine;tests/support")
# Tests use what they test and the shared support, never another test
# folder's helpers; the support serves every test folder and uses none.
# Every folder below tests/ but the support takes the second entry.
set(allowed_tests/support "src/*;tools/*")
set(allowed_tests_folder "src/*;tools/*;tests/support")

# The script player (headless/script*) sees the headless windows only through
# PlayerScreen; the fake window system (headless/headless_windows, _controls,
# _queue, _screen) hears of the script only through InputSource.
set(player_files "^src/editor/headless/script[^/]*$")
set(player_headers "src/editor/(headless/script[^/]*|script/[^/]*)\\.h")
set(window_system_files "^src/editor/headless/headless_(windows|controls|queue|screen)\\.(h|cpp)$")
set(window_system_headers "src/editor/headless/headless_(windows|controls|queue|screen|platform)\\.h")

# Whether `header` lies in one of the units or files `entries` names.
function(ulvo_header_allowed header entries out)
  get_filename_component(unit ${header} DIRECTORY)
  set(allowed FALSE)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^(.*)/\\*$")
      if(unit MATCHES "^${CMAKE_MATCH_1}/")
        set(allowed TRUE)
      endif()
    elseif(entry STREQUAL unit OR entry STREQUAL header)
      set(allowed TRUE)
    endif()
  endforeach()
  set(${out} ${allowed} PARENT_SCOPE)
endfunction()

set(faults "")
file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/src/*.rc
     ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
     ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp
     ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/*.inc)
foreach(shown IN LISTS sources)
  get_filename_component(unit ${shown} DIRECTORY)
  if(DEFINED allowed_${unit})
    set(allowed ${allowed_${unit}})
  elseif(unit MATCHES "^tests/")
    set(allowed ${allowed_tests_folder})
  else()
    string(APPEND faults "${shown}: ${unit} is a folder without a place in the layers\n")
    continue()
  endif()

  file(STRINGS ${ROOT}/${shown} system REGEX "^[ \t]*#[ \t]*include[ \t]+<(windows|windowsx|commctrl|shellapi|shlobj)\\.h>")
  if(system AND NOT shown MATCHES "(^|/)win32/|_win\\.(h|cpp)$")
    string(APPEND faults "${shown}: Windows headers belong in win32 folders and _win files\n")
  endif()

  file(STRINGS ${ROOT}/${shown} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"(src|tools|bench|tests)/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" header "${line}")
    if(shown MATCHES "${player_files}" AND header MATCHES "^${window_system_headers}$")
      string(APPEND faults "${shown}: the script player includes ${header} (it reaches the windows through PlayerScreen)\n")
    endif()
    if(shown MATCHES "${window_system_files}" AND header MATCHES "^${player_headers}$")
      string(APPEND faults "${shown}: the fake window system includes ${header} (it reaches the script through InputSource)\n")
    endif()
    get_filename_component(header_unit ${header} DIRECTORY)
    if(header_unit STREQUAL unit)
      continue()
    endif()
    ulvo_header_allowed(${header} "${allowed}" ok)
    if(NOT ok)
      string(APPEND faults "${shown}: includes ${header}, which ${unit} may not use\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Layering faults:\n${faults}")
endif()
