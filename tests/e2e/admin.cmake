# Tests of what an administrator meets first: the manual page, the generated
# scripts checked by sh -n and shellcheck, the queue interface scripts run by
# a real CUPS scheduler inside the sandbox, and the Ansible example playbook
# run against the sandbox. The last three install the sample suite of
# examples/medium with the built setup; they need root and report themselves
# skipped (77) without it.
# Included by tests/e2e/CMakeLists.txt.

add_test(NAME e2e_man_page
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/man_test.sh ${CMAKE_CURRENT_LIST_DIR}/../../man/setup.8)
set_tests_properties(e2e_man_page PROPERTIES TIMEOUT 60)

foreach(check scripts_lint cups ansible)
  add_test(NAME e2e_${check}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${check}_test.sh $<TARGET_FILE:setup>
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(e2e_${check} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                       ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endforeach()
