# The include layers of the project's sources, and the check that keeps them one-way:
#
#   cmake -DQRV_SOURCE_DIR=<top of the tree> -P cmake/LayerCheck.cmake
#
# (ctest runs it as the test "layering"). It reads the `#include "..."` lines of every source
# and header below the folders in QRV_LAYER_ROOTS and fails when a file includes from a layer
# that its own may not include, when a file belongs to no layer, or when files include each
# other in a cycle. Tests, fuzz harnesses and benchmarks are not checked: they may include
# whatever they exercise.
#
# The table. A file belongs to the row whose path is the longest start of its own path (a
# folder, or a file name without its extension). It may include files of its own layer and
# of the layers named in the last column, and the single files named there; "-" is nothing.
# The platform's headers at the top of platform/ are its interface; posix/ and win32/ are
# private to it.

cmake_minimum_required(VERSION 3.20)

set(QRV_LAYER_ROOTS platform hzkcore plugin manager launcher tools)

set(QRV_LAYERS
  # layer           path                           may include
  "platform         platform/                      -"
  "platform_posix   platform/posix/                platform"
  "platform_win32   platform/win32/                platform"
  "hzkcore          hzkcore/                       platform"
  # The plug-in from the bottom up: entry's base (context, CVCException, reporting), the
  # nodes, the schema, the settings, and the exports on top of them all.
  "plugin_entry     plugin/entry/                  platform"
  "plugin_node      plugin/node/                   plugin_entry platform"
  "plugin_schema    plugin/schema/                 plugin_node plugin_entry platform"
  # The built-in tables name the handlers they dispatch to: their one dependency upwards,
  # built in one library with the handlers (plugin/CMakeLists.txt).
  "builtin_schema   plugin/schema/builtin_schema   plugin_schema plugin_node plugin_entry hzkcore platform plugin/settings/handlers.h"
  "plugin_settings  plugin/settings/               builtin_schema plugin_schema plugin_node plugin_entry hzkcore platform"
  "plugin_exports   plugin/entry/exports           plugin_settings builtin_schema plugin_schema plugin_node plugin_entry platform"
  # The manager and the launcher only meet at the manager's entry points, which the launcher
  # binds by name at run time.
  "manager          manager/                       platform"
  "launcher         launcher/                      platform manager/config_manager.h"
  # The emulator's front end reads and writes the settings through the settings library's
  # store, walks documents over the plug-in's tables (not its exports) and reads package
  # names and command lines as the launcher does.
  "qrvdevice        tools/qrvdevice/               plugin_settings builtin_schema plugin_schema plugin_node plugin_entry hzkcore launcher platform"
)

# Files that the build writes (beside the sources' own), which an include may name.
set(QRV_GENERATED_INCLUDES tools/qrvdevice/image_manifest.inc)

if(NOT QRV_SOURCE_DIR)
  message(FATAL_ERROR "LayerCheck.cmake needs -DQRV_SOURCE_DIR=<top of the tree>")
endif()

# Rows into QRV_LAYER_NAMES, QRV_LAYER_PATH_<name> and QRV_LAYER_ALLOWED_<name>.
set(QRV_LAYER_NAMES)
foreach(row IN LISTS QRV_LAYERS)
  string(STRIP "${row}" row)
  string(REGEX REPLACE "[ \t]+" ";" fields "${row}")
  list(POP_FRONT fields name path)
  list(APPEND QRV_LAYER_NAMES ${name})
  set(QRV_LAYER_PATH_${name} ${path})
  list(REMOVE_ITEM fields "-")
  set(QRV_LAYER_ALLOWED_${name} ${fields})
endforeach()

# The layer of a file (its path from the top of the tree), or "" when no row holds it.
function(qrv_layer_of file out)
  set(best "")
  set(bestLength 0)
  foreach(name IN LISTS QRV_LAYER_NAMES)
    set(path ${QRV_LAYER_PATH_${name}})
    string(LENGTH "${path}" length)
    string(SUBSTRING "${file}" 0 ${length} start)
    if(start STREQUAL path AND length GREATER bestLength)
      set(best ${name})
      set(bestLength ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(files)
foreach(root IN LISTS QRV_LAYER_ROOTS)
  file(GLOB_RECURSE found RELATIVE ${QRV_SOURCE_DIR}
       ${QRV_SOURCE_DIR}/${root}/*.h ${QRV_SOURCE_DIR}/${root}/*.cpp)
  list(APPEND files ${found})
endforeach()
list(SORT files)

set(problems)
foreach(file IN LISTS files)
  string(MAKE_C_IDENTIFIER "${file}" id)
  set(edges_${id})
  qrv_layer_of(${file} layer)
  if(NOT layer)
    list(APPEND problems "${file} belongs to no layer: give its folder a row")
    continue()
  endif()
  get_filename_component(dir ${file} DIRECTORY)
  file(STRINGS ${QRV_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "\"([^\"]+)\"")
      continue()
    endif()
    set(included ${CMAKE_MATCH_1})
    # Beside the including file first, then from the top of the tree, as the compiler looks.
    if(EXISTS ${QRV_SOURCE_DIR}/${dir}/${included})
      get_filename_component(full ${QRV_SOURCE_DIR}/${dir}/${included} ABSOLUTE)
      file(RELATIVE_PATH target ${QRV_SOURCE_DIR} ${full})
    elseif(EXISTS ${QRV_SOURCE_DIR}/${included})
      set(target ${included})
    elseif(included IN_LIST QRV_GENERATED_INCLUDES)
      continue()
    else()
      list(APPEND problems "${file} includes \"${included}\", which is no file of the tree")
      continue()
    endif()
    qrv_layer_of(${target} targetLayer)
    if(NOT targetLayer)
      list(APPEND problems "${file} (${layer}) includes ${target}, which belongs to no layer")
      continue()
    endif()
    if(NOT targetLayer STREQUAL layer AND NOT targetLayer IN_LIST QRV_LAYER_ALLOWED_${layer}
       AND NOT target IN_LIST QRV_LAYER_ALLOWED_${layer})
      list(APPEND problems "${file} (${layer}) may not include ${target} (${targetLayer})")
    endif()
    list(APPEND edges_${id} ${target})
  endforeach()
endforeach()

# No cycles: files whose includes are all settled are settled in turn, until nothing moves;
# whatever is left includes itself through some chain.
set(left ${files})
set(moved TRUE)
while(moved)
  set(moved FALSE)
  set(stillLeft)
  foreach(file IN LISTS left)
    string(MAKE_C_IDENTIFIER "${file}" id)
    set(ready TRUE)
    foreach(target IN LISTS edges_${id})
      string(MAKE_C_IDENTIFIER "${target}" targetId)
      if(NOT settled_${targetId})
        set(ready FALSE)
        break()
      endif()
    endforeach()
    if(ready)
      set(settled_${id} TRUE)
      set(moved TRUE)
    else()
      list(APPEND stillLeft ${file})
    endif()
  endforeach()
  set(left ${stillLeft})
endwhile()
# Of those, the files that merely include a cycle go too: left are the files on cycles, each
# of which some other file left includes.
set(moved TRUE)
while(moved)
  set(moved FALSE)
  set(includedByLeft)
  foreach(file IN LISTS left)
    string(MAKE_C_IDENTIFIER "${file}" id)
    list(APPEND includedByLeft ${edges_${id}})
  endforeach()
  set(stillLeft)
  foreach(file IN LISTS left)
    if(file IN_LIST includedByLeft)
      list(APPEND stillLeft ${file})
    else()
      set(moved TRUE)
    endif()
  endforeach()
  set(left ${stillLeft})
endwhile()
if(left)
  list(JOIN left ", " cycle)
  list(APPEND problems "these files include each other in a cycle: ${cycle}")
endif()

list(LENGTH files checked)
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layering: ${checked} files read, these break the layers:\n  ${text}")
endif()
message(STATUS "Layering: ${checked} files read, every include goes down or sideways")
