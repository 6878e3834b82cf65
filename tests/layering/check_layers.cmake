# Fails when a source includes a program header from a folder above its own.
# Each folder may include its own headers and those of the folders or single
# headers listed with it; the reusable widgets and the simulator stay apart
# from the program. Both include forms count: "platform/x.h" and
# <platform/x.h>; a <...> header outside the program's folders is a system
# one. The build enforces the same order (cmake/include_roots.cmake).
# Run: cmake -DROOT=<repository> -P check_layers.cmake
cmake_minimum_required(VERSION 3.22)
set(rules
  "src/platform:platform"
  "src/link:platform,link"
  "src/settings:platform,link,settings"
  "src/acquisition:platform,link,settings,acquisition"
  "src/service:platform,link,settings,acquisition,service"
  "src/ui:platform,link,settings,acquisition,service,ui"
  "src/ui/widgets:ui/widgets"
  "sim:platform,device,app"
  "sim/device:platform,device"
  "tools/position_client:platform,service/position_service_names.h"
  "tools/timing_diagrams:")
set(program_folders platform link settings acquisition service ui device app)

set(folders "")
foreach(rule ${rules})
  string(REGEX REPLACE ":.*" "" folder "${rule}")
  list(APPEND folders ${folder})
endforeach()

set(violations "")
function(check_folder folder allowed)
  file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "No sources in ${ROOT}/${folder}: nothing to check")
  endif()
  foreach(source ${sources})
    # A subfolder with a rule of its own is checked by that rule.
    set(owner "${folder}")
    foreach(other ${folders})
      string(FIND "${source}" "${ROOT}/${other}/" at)
      string(LENGTH "${other}" length)
      string(LENGTH "${owner}" ownerLength)
      if(at EQUAL 0 AND length GREATER ownerLength)
        set(owner "${other}")
      endif()
    endforeach()
    if(NOT owner STREQUAL folder)
      continue()
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]+)[\">].*" "\\1;\\2" parts "${line}")
      list(GET parts 0 form)
      list(GET parts 1 header)
      string(REGEX REPLACE "/.*" "" top "${header}")
      if(form STREQUAL "<" AND NOT top IN_LIST program_folders)
        continue() # a system header
      endif()
      # Generated and same-folder headers without a folder prefix.
      set(ok FALSE)
      if(form STREQUAL "\"" AND NOT header MATCHES "/")
        set(ok TRUE)
      endif()
      foreach(entry ${allowed})
        if(header STREQUAL entry OR header MATCHES "^${entry}/")
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        file(RELATIVE_PATH where ${ROOT} ${source})
        string(APPEND violations "\n  ${where}: ${header}")
      endif()
    endforeach()
  endforeach()
  set(violations "${violations}" PARENT_SCOPE)
endfunction()

foreach(rule ${rules})
  string(REGEX REPLACE ":.*" "" folder "${rule}")
  string(REGEX REPLACE ".*:" "" allowed "${rule}")
  string(REPLACE "," ";" allowed "${allowed}")
  check_folder(${folder} "${allowed}")
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layer order:${violations}")
endif()
message(STATUS "Layer order kept")
