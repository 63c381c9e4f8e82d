# The build's one date, SOURCE_DATE_EPOCH: the last commit's time unless the environment gives
# one, so that the changelog, the archives and the Windows programs' time stamps follow the
# sources and not the hour or the machine they were built on.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(VARNELO_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE VARNELO_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    # Sources without their history: the date of the newest release.
    if(NOT status EQUAL 0 OR NOT VARNELO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CHANGELOG.md VARNELO_SOURCE_DATE_EPOCH "%s" UTC)
    endif()
    # string(TIMESTAMP) reads it from the environment.
    set(ENV{SOURCE_DATE_EPOCH} ${VARNELO_SOURCE_DATE_EPOCH})
endif()

# The PE linker stamps the programs with the time it finds in its environment.
if(WIN32)
    set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VARNELO_SOURCE_DATE_EPOCH})
endif()
