# What gets installed and packaged, one set per preset, all from the project version:
#   win32:  Brevix-<version>-win32.zip (portable) and Brevix-<version>-setup.exe (NSIS installer),
#           both holding Brevix.exe, brevix-cli.exe, Brevix.chm, README.txt and LICENSE.txt;
#   native: brevix-cli_<version>_<arch>.deb with the program, its manual page, its bash completion
#           and the copyright.
# `cmake --build --preset <preset> --target package` builds them into build/<preset>/packages.
set(BREVIX_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(CPACK_PACKAGE_VENDOR "Vellacor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")

if(WIN32)
    # The help file, compiled from its HTML topics beside Brevix.exe, where the program looks.
    file(GLOB help_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
    set(help_work ${CMAKE_BINARY_DIR}/help)
    file(MAKE_DIRECTORY ${help_work})
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/shell/Brevix.chm
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${help_work}
        COMMAND chmcmd --no-html-scan Brevix.hhp > chmcmd.log
        COMMAND ${CMAKE_COMMAND} -E copy Brevix.chm ${CMAKE_BINARY_DIR}/shell/Brevix.chm
        WORKING_DIRECTORY ${help_work}
        DEPENDS ${help_sources}
        COMMENT "Compiling Brevix.chm")
    add_custom_target(brevix_help ALL DEPENDS ${CMAKE_BINARY_DIR}/shell/Brevix.chm)

    file(READ ${BREVIX_PACKAGING_DIR}/README.txt readme)
    string(REPLACE "@BREVIX_VERSION@" "${PROJECT_VERSION}" readme "${readme}")
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/README.txt CONTENT "${readme}" NEWLINE_STYLE CRLF)
    file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt CONTENT "${license}" NEWLINE_STYLE CRLF)

    install(TARGETS Brevix brevix-cli RUNTIME DESTINATION .)
    install(FILES ${CMAKE_BINARY_DIR}/shell/Brevix.chm ${CMAKE_BINARY_DIR}/packaging/README.txt
                  ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt DESTINATION .)

    set(CPACK_GENERATOR "ZIP;NSIS")
    set(CPACK_PACKAGE_NAME "Brevix")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Brevix")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_NSIS_EXECUTABLE makensis)
    # The installer script is ours (packaging/NSIS.template.in); CPack fills in the file lists.
    list(PREPEND CMAKE_MODULE_PATH ${BREVIX_PACKAGING_DIR})
    set(CPACK_BREVIX_ICON ${BREVIX_ICON_DIR}/Brevix.ico)
    # The welcome and finish pages' side picture, rendered at 150 % (sharp at 144 dpi).
    set(CPACK_BREVIX_SIDE ${CMAKE_BINARY_DIR}/packaging/setup-side.bmp)
    find_program(CONVERT convert REQUIRED)
    add_custom_command(OUTPUT ${CPACK_BREVIX_SIDE}
        COMMAND ${RSVG_CONVERT} -w 246 -h 471 -o ${CMAKE_BINARY_DIR}/packaging/setup-side.png
                ${CMAKE_SOURCE_DIR}/resources/icons/setup-side.svg
        COMMAND ${CONVERT} ${CMAKE_BINARY_DIR}/packaging/setup-side.png -type TrueColor BMP3:${CPACK_BREVIX_SIDE}
        DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/setup-side.svg)
    add_custom_target(brevix_setup_picture ALL DEPENDS ${CPACK_BREVIX_SIDE} brevix_icons)
    set(CPACK_BREVIX_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
    # Each generator's own file name; the zip holds one folder, Brevix-<version>.
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/FileNames.cmake)
    file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
        "if(CPACK_GENERATOR STREQUAL \"NSIS\")\n"
        "    set(CPACK_PACKAGE_FILE_NAME \"Brevix-${PROJECT_VERSION}-setup\")\n"
        "else()\n"
        "    set(CPACK_PACKAGE_FILE_NAME \"Brevix-${PROJECT_VERSION}-win32\")\n"
        "    set(CPACK_PACKAGING_INSTALL_PREFIX \"/Brevix-${PROJECT_VERSION}\")\n"
        "endif()\n")
elseif(NOT CMAKE_CROSSCOMPILING)
    # The manual page, written from brevix-cli --help, and the Debian copyright file.
    set(man ${CMAKE_BINARY_DIR}/packaging/brevix-cli.1)
    add_custom_command(OUTPUT ${man} ${man}.gz
        COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:brevix-cli> -DVERSION=${PROJECT_VERSION}
                -DTEMPLATE=${BREVIX_PACKAGING_DIR}/brevix-cli.1.in -DOUT=${man}
                -P ${BREVIX_PACKAGING_DIR}/ManPage.cmake
        COMMAND gzip -9nf -k ${man}
        DEPENDS brevix-cli ${BREVIX_PACKAGING_DIR}/brevix-cli.1.in ${BREVIX_PACKAGING_DIR}/ManPage.cmake
        COMMENT "Writing the manual page brevix-cli.1")
    set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
    add_custom_command(OUTPUT ${changelog}
        COMMAND gzip -9nc ${BREVIX_PACKAGING_DIR}/changelog > ${changelog}
        DEPENDS ${BREVIX_PACKAGING_DIR}/changelog)
    add_custom_target(manpage ALL DEPENDS ${man}.gz ${changelog})
    file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
    file(WRITE ${CMAKE_BINARY_DIR}/packaging/copyright
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: Brevix\n\nFiles: *\nCopyright: 2026 Vellacor\nLicense: Expat\n")
    string(REGEX REPLACE "\n\n" "\n.\n" license_body "${license}")
    string(REGEX REPLACE "\n([^\n])" "\n \\1" license_body "${license_body}")
    file(APPEND ${CMAKE_BINARY_DIR}/packaging/copyright "\nLicense: Expat\n ${license_body}")

    install(TARGETS brevix-cli RUNTIME DESTINATION bin)
    install(FILES ${man}.gz DESTINATION share/man/man1)
    install(FILES ${BREVIX_PACKAGING_DIR}/brevix-cli.bash-completion DESTINATION share/bash-completion/completions
            RENAME brevix-cli)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${changelog}
            DESTINATION share/doc/brevix-cli)

    set(CPACK_GENERATOR "DEB")
    set(CPACK_PACKAGE_NAME "brevix-cli")
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SECTION text)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vellacor <packages@vellacor.example>")
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut a large XML text file into one file per chunk")
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "brevix-cli cuts one large XML text file into many small files, \
one per\nchunk. A chunk begins at a start tag whose name is one of the chunk level\ntags and ends \
at the next closing chunk level tag. Each chunk file is named\nfrom the values of the chunk name \
keys, element or attribute names such as\ntitle.")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

if(WIN32 OR NOT CMAKE_CROSSCOMPILING)
    include(CPack)
endif()

# The packages as a user meets them: their file lists, the Debian checks and, under Wine, the
# installer, the installed programs and the uninstaller.
if(BREVIX_TESTS AND (WIN32 OR NOT CMAKE_CROSSCOMPILING) AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
    add_test(NAME packages COMMAND ${CMAKE_SOURCE_DIR}/tests/packages.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(packages PROPERTIES TIMEOUT 900 RUN_SERIAL ON)
endif()
