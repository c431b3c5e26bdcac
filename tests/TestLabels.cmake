# Read by CTest after the discovered tests are defined. Properties that hold lists
# do not survive gtest_discover_tests, so the adapter and end-to-end tests get their
# labels and environment here: "integration" besides their own kind, and "soak" for
# the suites that run for half a minute or more (they stay in the default run).
foreach(kind adapter e2e)
  foreach(test IN LISTS ${kind}_tests_TESTS)
    set(labels "${kind};integration")
    if(test MATCHES "Soak")
      list(APPEND labels soak)
    endif()
    set_tests_properties("${test}" PROPERTIES LABELS "${labels}"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endforeach()
