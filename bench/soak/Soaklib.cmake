# The soak's run and its check against the station's log, shared by the soak program and its
# short run under CTest; whichever folder comes first defines it.
include_guard(GLOBAL)
add_library(tavolin_soak STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Soakcheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Soakrun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Soakview.cpp)
target_include_directories(tavolin_soak PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tavolin_soak PUBLIC tavolin_core tavolin_test_support)
