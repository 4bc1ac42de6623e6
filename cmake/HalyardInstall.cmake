# Installs the desktop program with what a Linux desktop needs to list, launch and describe it,
# and packages it as a .deb. Only the halyard program is installed: the simulator, tests,
# benchmarks and fuzzers stay in the build tree.
include(GNUInstallDirs)

# Not CMAKE_INSTALL_LIBDIR: systemd looks in lib/systemd/user, never in a multiarch folder.
# Relative to the prefix, so a changed prefix moves it along.
set(HALYARD_SYSTEMD_USER_UNIT_DIR "lib/systemd/user" CACHE STRING
    "Where the systemd user unit goes, relative to the prefix or absolute (pkg-config systemd: systemduserunitdir)")

# Folders as dpkg expects them whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The metainfo and the Debian changelog name the release they describe; a version bump without
# an entry in each would ship a package whose software centre page or changelog lists an older
# version.
file(READ ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.metainfo.xml _metainfo)
if(NOT _metainfo MATCHES "<release version=\"${PROJECT_VERSION}\" date=\"([0-9-]+)\"")
    message(FATAL_ERROR "resources/com.corvane.Halyard.metainfo.xml has no <release> for "
        "${PROJECT_VERSION}")
endif()
set(_releaseDate ${CMAKE_MATCH_1})
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog _changelogTop LIMIT_COUNT 1)
if(NOT _changelogTop MATCHES "^halyard \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not start with an entry for ${PROJECT_VERSION}")
endif()

set(HALYARD_INSTALL_FULL_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
configure_file(${PROJECT_SOURCE_DIR}/resources/halyard-headless.service.in
    ${PROJECT_BINARY_DIR}/resources/halyard-headless.service @ONLY)

# The manual page (scdoc) and the changelog, both gzipped without a time stamp (gzip -n) so the
# same tree gives the same package. The page is dated by the release, not by the build.
set(HALYARD_MANIFEST_PATH ${CMAKE_INSTALL_FULL_DATADIR}/halyard/slack-app-manifest.json)
cmake_path(ABSOLUTE_PATH HALYARD_SYSTEMD_USER_UNIT_DIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
    OUTPUT_VARIABLE _unitDir)
set(HALYARD_UNIT_PATH ${_unitDir}/halyard-headless.service)
configure_file(${PROJECT_SOURCE_DIR}/packaging/halyard.1.scd.in
    ${PROJECT_BINARY_DIR}/packaging/halyard.1.scd @ONLY)
execute_process(COMMAND date -u -d "${_releaseDate}" +%s
    OUTPUT_VARIABLE _releaseEpoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
find_program(HALYARD_SCDOC scdoc)
find_program(HALYARD_GZIP gzip REQUIRED)
set(_docsDir ${PROJECT_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${_docsDir}/changelog.gz
    COMMAND ${HALYARD_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    WORKING_DIRECTORY ${_docsDir} VERBATIM)
set(_docs ${_docsDir}/changelog.gz)
if(HALYARD_SCDOC)
    add_custom_command(OUTPUT ${_docsDir}/halyard.1.gz
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${_releaseEpoch}
            sh -c "'${HALYARD_SCDOC}' < halyard.1.scd | '${HALYARD_GZIP}' -9n > halyard.1.gz"
        DEPENDS ${_docsDir}/halyard.1.scd
        WORKING_DIRECTORY ${_docsDir} VERBATIM)
    list(APPEND _docs ${_docsDir}/halyard.1.gz)
    install(FILES ${_docsDir}/halyard.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(WARNING "scdoc not found: no manual page (scripts/install-deps.sh installs it)")
endif()
add_custom_target(halyard_docs DEPENDS ${_docs})
# Built with the program, so that a build of the halyard target alone (the package preset's)
# has everything the install rules name.
add_dependencies(halyard halyard_docs)

install(TARGETS halyard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripped as Debian's own tools strip a program: the compiler's .comment section goes too.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/halyard\"
        COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_BINARY_DIR}/resources/halyard-headless.service
    DESTINATION ${HALYARD_SYSTEMD_USER_UNIT_DIR})
# The manifest the setup steps tell users to paste into Slack, where they can find it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/slack-app-manifest.json
    DESTINATION ${CMAKE_INSTALL_DATADIR}/halyard)

# Every binary package carries the copyright and changelog in /usr/share/doc/<package>; a
# second package calls this with its own name.
function(halyard_install_package_docs package)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_docsDir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
endfunction()
halyard_install_package_docs(halyard)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halyard)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Slack alerts you have to acknowledge")
# One list element per line of the control file, each at most 80 columns with its leading
# space (lintian's limit).
set(CPACK_PACKAGE_DESCRIPTION
    "Halyard joins one Slack workspace as a Slack app and turns chosen bot\n"
    "messages into alerts in a small floating panel that stays above other\n"
    "windows. Alerts age from fresh to overdue until acknowledged, and an\n"
    "acknowledgement shows in Slack as a reaction.\n"
    ".\n"
    "It also runs headless as a systemd user service.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "Corvane <halyard@corvane.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/corvane/halyard)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Library dependencies come from the linked libraries (dpkg-shlibdeps); the Qt plugins the
# program loads come with them: xcb (the platform it asks for), TLS and network reachability
# with libqt6gui6 and libqt6network6. Named here is what is loaded at run time and linked by
# nothing: the Secret Service client, which QtKeychain opens itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsecret-1-0")
# What most desktops want and the program does without: colour emoji (plain glyphs otherwise),
# the SVG icon engine for theme icons, xdg-open for links, Wayland where no XWayland runs, and a
# Secret Service to keep the tokens in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-color-emoji, libqt6svg6, xdg-utils, qt6-wayland, gnome-keyring | kwalletmanager")
set(CPACK_STRIP_FILES ON)
include(CPack)
