# Run after the unit binary is built: lists its tests and writes one CTest
# test per GoogleTest suite (each process runs a whole suite) into OUTPUT.
# Arguments: -DUNIT=binary -DOUTPUT=file.
execute_process(COMMAND ${UNIT} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${UNIT} --gtest_list_tests failed: ${status}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(text "")
foreach(line IN LISTS lines)
  # A suite line starts at the margin and ends with a dot; its tests follow indented.
  if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
    set(suite "${CMAKE_MATCH_1}")
    string(APPEND text "add_test(\"unit.${suite}\" \"${UNIT}\" \"--gtest_filter=${suite}.*\")\n"
                       "set_tests_properties(\"unit.${suite}\" PROPERTIES LABELS unit)\n")
  endif()
endforeach()
file(WRITE "${OUTPUT}" "${text}")
