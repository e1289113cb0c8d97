# The release: `cmake --build --preset windows --target package` writes to build/windows/package/
#   Dravosk-<version>-win64.zip              dravosk.exe and the operator's read-me
#   Dravosk-<version>-win64-korvane-sim.zip  the stand-in host with the demo part program, for
#                                            demonstrations and training
#   SHA256SUMS                               the checksum of each archive
# and the preset windows-x86 the same for 32-bit Windows (-win32) to build/windows-x86/package/.
# tools/release.sh puts both into one folder with one SHA256SUMS.
# Each archive holds its files without a folder around them.
# The archives depend on their contents alone: entries in name order, no owner, one fixed time
# (SOURCE_DATE_EPOCH from the environment, else the time of the checked-out commit), so the same
# programs give the same archives and the same sums.

set(DRAVOSK_PACKAGE_NAME Dravosk-${PROJECT_VERSION}-${DRAVOSK_RELEASE_ARCH})

configure_file(${PROJECT_SOURCE_DIR}/package/LIESMICH.txt.in
               ${CMAKE_BINARY_DIR}/package-files/LIESMICH.txt @ONLY NEWLINE_STYLE CRLF)
# Named apart from Dravosk's, so both archives can be unpacked into one folder.
configure_file(${PROJECT_SOURCE_DIR}/package/LIESMICH-korvane-sim.txt.in
               ${CMAKE_BINARY_DIR}/package-files/LIESMICH-korvane-sim.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS dravosk RUNTIME DESTINATION . COMPONENT dravosk)
install(FILES ${CMAKE_BINARY_DIR}/package-files/LIESMICH.txt DESTINATION . COMPONENT dravosk)
install(TARGETS korvane-sim RUNTIME DESTINATION . COMPONENT korvane_sim)
install(FILES ${CMAKE_BINARY_DIR}/package-files/LIESMICH-korvane-sim.txt
              ${PROJECT_SOURCE_DIR}/sim/demo/demo.json
        DESTINATION . COMPONENT korvane_sim)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(DRAVOSK_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE DRAVOSK_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_result ERROR_QUIET)
    if(NOT git_result EQUAL 0 OR NOT DRAVOSK_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        set(DRAVOSK_SOURCE_DATE_EPOCH 315532800)  # 1980-01-01, the earliest time a ZIP entry holds
    endif()
endif()

set(CPACK_PACKAGE_NAME Dravosk)
set(CPACK_PACKAGE_VENDOR Dravosk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME ${DRAVOSK_RELEASE_ARCH})
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dravosk korvane_sim)
set(CPACK_ARCHIVE_DRAVOSK_FILE_NAME ${DRAVOSK_PACKAGE_NAME})
set(CPACK_ARCHIVE_KORVANE_SIM_FILE_NAME ${DRAVOSK_PACKAGE_NAME}-korvane-sim)
set(CPACK_DRAVOSK_SOURCE_DATE_EPOCH ${DRAVOSK_SOURCE_DATE_EPOCH})
find_program(DRAVOSK_PYTHON3 python3 REQUIRED)
set(CPACK_DRAVOSK_PYTHON3 ${DRAVOSK_PYTHON3})
set(CPACK_DRAVOSK_NORMALIZE_ZIP ${PROJECT_SOURCE_DIR}/cmake/normalize_zip.py)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package-checksums.cmake)
# A source package, should anyone make one, holds the sources alone.
set(CPACK_SOURCE_IGNORE_FILES "/build/;/out/;/\\\\.git")
include(CPack)
