# CPack, once the archives are made: each archive rewritten so that it depends on its contents
# alone (cmake/normalize_zip.py), then SHA256SUMS beside them, in the format `sha256sum -c` reads.
execute_process(COMMAND ${CPACK_DRAVOSK_PYTHON3} ${CPACK_DRAVOSK_NORMALIZE_ZIP}
                        ${CPACK_DRAVOSK_SOURCE_DATE_EPOCH} ${CPACK_PACKAGE_FILES}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not rewrite the archives (normalize_zip.py: ${result})")
endif()
set(sums "")
foreach(file IN LISTS CPACK_PACKAGE_FILES)
    file(SHA256 ${file} hash)
    get_filename_component(name ${file} NAME)
    string(APPEND sums "${hash}  ${name}\n")
endforeach()
if(sums STREQUAL "")
    message(FATAL_ERROR "No archive to sum")
endif()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
message(STATUS "SHA256SUMS written to ${CPACK_PACKAGE_DIRECTORY}")
