# Runs varnelo-pictures into a scratch folder and fails unless both pictures equal the
# committed copies in assets/ byte for byte, and the same for the icon that the Windows
# program carries and the icons of the web page. Takes GENERATOR, ASSETS and SCRATCH.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${GENERATOR} ${SCRATCH} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "varnelo-pictures failed: ${result}")
endif()
execute_process(COMMAND ${GENERATOR} --icons ${SCRATCH} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "varnelo-pictures --icons failed: ${result}")
endif()
foreach(name spot.tga scr.tga varnelo.ico varnelo-192.png varnelo-512.png favicon.ico)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/${name} ${ASSETS}/${name}
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "assets/${name} is not what tools/pictures draws; regenerate it")
    endif()
endforeach()
