# GoogleTest for the cross builds (Windows, web, other CPUs). Debian's libgtest is built for this
# machine, so these builds compile GoogleTest from the sources Debian ships, and find_package(GTest)
# then finds these targets instead of searching.
set(VARNELO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")

if(CMAKE_CROSSCOMPILING AND (NOT DEFINED VARNELO_TESTS OR VARNELO_TESTS))
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VARNELO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(library gtest gtest_main gmock gmock_main)
        if(NOT TARGET GTest::${library})
            add_library(GTest::${library} ALIAS ${library})
        endif()
    endforeach()
    set(config_dir ${CMAKE_BINARY_DIR}/googletest-config)
    file(WRITE ${config_dir}/GTestConfig.cmake
         "# The GTest:: targets already exist: made from the sources in this build.\n")
    set(GTest_DIR ${config_dir} CACHE PATH "" FORCE)
endif()
