# Run by CPack on the staged files before it packs them: strips the
# programs as Debian's own packaging does.
find_program(strip_program strip REQUIRED)
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*)
if(NOT programs)
  message(FATAL_ERROR "no programs staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND ${strip_program} --remove-section=.comment --remove-section=.note --strip-unneeded
                          ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
