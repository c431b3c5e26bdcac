# Read by CTest after the discovered tests are defined: the long suites of the
# adapter and end-to-end tests get the label "soak" besides their own.
foreach(kind adapter e2e)
  foreach(test IN LISTS ${kind}_tests_TESTS)
    if(test MATCHES "Soak")
      set_tests_properties("${test}" PROPERTIES LABELS "${kind};integration;soak")
    endif()
  endforeach()
endforeach()
