# Checks that every include of the module's sources runs down the rooms:
#   crqx (the C interface) <- convert <- module <- policies, constants <- bindings
# A file may include its own room and the rooms below it, never one above or
# beside it. Run as: cmake -DSOURCE_DIR=<dir holding the rooms> -P layers.cmake
set(rank_crqx 0)
set(rank_convert 1)
set(rank_module 2)
set(rank_policies 3)
set(rank_constants 3)
set(rank_bindings 4)

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(wrong "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" room "${file}")
  if(NOT DEFINED rank_${room})
    message(FATAL_ERROR "${file}: room '${room}' has no place in the layers")
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" target "${line}")
    if(target MATCHES "/")
      string(REGEX MATCH "^[^/]+" target_room "${target}")
    else()
      set(target_room crqx)  # crqx.h and its listings, found through their folder
    endif()
    if(NOT target_room STREQUAL room AND
       (NOT DEFINED rank_${target_room} OR NOT rank_${target_room} LESS rank_${room}))
      string(APPEND wrong "\n  ${file} includes ${target}")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "includes that run back up the rooms:${wrong}")
endif()
