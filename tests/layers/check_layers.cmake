# Fails when a source folder includes a header of a folder it may not use
# (the layers only reach downwards), when a file outside the Windows
# folders and "_win" files includes a Windows system header, or when the
# headless editor's script player and its fake window system reach each
# other other than through their two interfaces. Run as: cmake -DROOT=<repository> -P check_layers.cmake
#
# A folder's entry lists the folders it may include besides itself.
cmake_minimum_required(VERSION 3.25)

set(allowed_engine "")
set(allowed_imageio "")
set(allowed_job "")
set(allowed_render "engine")
set(allowed_resources "")
set(allowed_win32 "")
set(allowed_settings "win32")
set(allowed_host "job")
set(allowed_editor "engine;imageio;job;render;resources;settings;win32")
set(allowed_module "editor;host;job")

# The script player (headless/script*) sees the headless windows only through
# PlayerScreen; the fake window system (headless/headless_windows, _controls,
# _queue, _screen) hears of the script only through InputSource.
set(player_files "^src/editor/headless/script[^/]*$")
set(player_headers "src/editor/(headless/script[^/]*|script/[^/]*)\\.h")
set(window_system_files "^src/editor/headless/headless_(windows|controls|queue|screen)\\.(h|cpp)$")
set(window_system_headers "src/editor/headless/headless_(windows|controls|queue|screen|platform)\\.h")

file(GLOB folders LIST_DIRECTORIES true RELATIVE ${ROOT}/src ${ROOT}/src/*)
set(faults "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${ROOT}/src/${folder})
    continue()
  endif()
  if(NOT DEFINED allowed_${folder})
    string(APPEND faults "src/${folder}: a folder without a place in the layers\n")
    continue()
  endif()
  file(GLOB_RECURSE sources ${ROOT}/src/${folder}/*.h ${ROOT}/src/${folder}/*.cpp
       ${ROOT}/src/${folder}/*.rc)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown ${ROOT} ${source})
    file(STRINGS ${source} system REGEX "^[ \t]*#[ \t]*include[ \t]+<(windows|windowsx|commctrl|shellapi|shlobj)\\.h>")
    if(system AND NOT shown MATCHES "(^|/)win32/|_win\\.(h|cpp)$")
      string(APPEND faults "${shown}: Windows headers belong in win32 folders and _win files\n")
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"src/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE ".*\"(src/[^\"]+)\".*" "\\1" header "${line}")
      if(shown MATCHES "${player_files}" AND header MATCHES "^${window_system_headers}$")
        string(APPEND faults "${shown}: the script player includes ${header} (it reaches the windows through PlayerScreen)\n")
      endif()
      if(shown MATCHES "${window_system_files}" AND header MATCHES "^${player_headers}$")
        string(APPEND faults "${shown}: the fake window system includes ${header} (it reaches the script through InputSource)\n")
      endif()
      string(REGEX REPLACE ".*\"src/([^/\"]+)/.*" "\\1" target "${line}")
      if(target STREQUAL folder OR target IN_LIST allowed_${folder})
        continue()
      endif()
      string(APPEND faults "${shown}: includes src/${target}, which src/${folder} may not use\n")
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Layering faults:\n${faults}")
endif()
