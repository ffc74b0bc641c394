# The layering check catches what it is there for: each row below adds one include to a copy
# of the sources, and the check must then fail and name the fault.
#
#   cmake -DQRV_SOURCE_DIR=<top of the tree> -DQRV_WORK_DIR=<scratch folder>
#         -P cmake/LayerCheckTest.cmake
#
# (ctest runs it as the test "layering_check_catches").
cmake_minimum_required(VERSION 3.20)

set(cases
  # file that gets the include | the include | what the check must say
  "plugin/entry/report.cpp|plugin/node/config_node.h|plugin/entry/report.cpp \\(plugin_entry\\) may not include plugin/node/config_node.h"
  "manager/dom_support.cpp|platform/posix/dom_nodes.h|may not include platform/posix/dom_nodes.h \\(platform_posix\\)"
  "plugin/schema/walker.cpp|plugin/settings/handlers.h|plugin/schema/walker.cpp \\(plugin_schema\\) may not include plugin/settings/handlers.h"
  "plugin/node/text_ring.h|plugin/node/config_node.h|cycle: .*plugin/node/config_node.h"
  "launcher/launcher.cpp|launcher/nowhere.h|\"launcher/nowhere.h\", which is no file of the tree"
)
# The last case needs the cycle's other half: config_node.h includes text_ring.h.
set(cycle_partner "plugin/node/config_node.h|plugin/node/text_ring.h")

set(roots platform hzkcore plugin manager launcher tools)
set(failures)
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 file)
  list(GET fields 1 included)
  list(GET fields 2 expected)

  set(work ${QRV_WORK_DIR}/layer_check_case)
  file(REMOVE_RECURSE ${work})
  foreach(root IN LISTS roots)
    file(COPY ${QRV_SOURCE_DIR}/${root} DESTINATION ${work})
  endforeach()
  set(edits "${file}|${included}")
  if(expected MATCHES "^cycle")
    list(APPEND edits "${cycle_partner}")
  endif()
  foreach(edit IN LISTS edits)
    string(REPLACE "|" ";" parts "${edit}")
    list(GET parts 0 editFile)
    list(GET parts 1 editInclude)
    file(READ ${work}/${editFile} text)
    file(WRITE ${work}/${editFile} "#include \"${editInclude}\"\n${text}")
  endforeach()

  execute_process(
    COMMAND ${CMAKE_COMMAND} -DQRV_SOURCE_DIR=${work} -P ${CMAKE_CURRENT_LIST_DIR}/LayerCheck.cmake
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\n" " " said "${out}${err}")
  string(REGEX REPLACE "[ \t]+" " " said "${said}")
  if(result EQUAL 0)
    list(APPEND failures "${file} including ${included} passed the check")
  elseif(NOT said MATCHES "${expected}")
    list(APPEND failures "${file} including ${included}: the check said: ${said}")
  endif()
endforeach()
file(REMOVE_RECURSE ${QRV_WORK_DIR}/layer_check_case)

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "The layering check missed:\n  ${text}")
endif()
