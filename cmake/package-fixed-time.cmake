# CPack, after staging the files and before archiving them: every staged file and folder gets the
# one fixed time, so the archive entries do not carry the build's time.
execute_process(
    COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @${CPACK_DRAVOSK_SOURCE_DATE_EPOCH} {} +
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not set the archive entries' time (touch: ${result})")
endif()
