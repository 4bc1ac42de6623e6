# Installs the programs with what a Linux desktop needs to list, launch and describe them, and
# packages them as two .debs: halyard-headless (the `halyard` command, the service, the manual
# page; no Qt GUI, so a server needs no X11 or GL) and halyard (the desktop program, its entry,
# icon and metadata), which depends on the first. The simulator, tests, benchmarks and fuzzers
# stay in the build tree.
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
# As src/service compiles it in.
set(HALYARD_DESKTOP_PROGRAM ${CMAKE_INSTALL_FULL_LIBEXECDIR}/halyard/halyard-desktop)
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
    install(FILES ${_docsDir}/halyard.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT headless)
else()
    message(WARNING "scdoc not found: no manual page (scripts/install-deps.sh installs it)")
endif()
add_custom_target(halyard_docs DEPENDS ${_docs})
# Built with the program, so that a build of the halyard target alone (the package preset's)
# has everything the install rules name.
add_dependencies(halyard halyard_docs)

install(TARGETS halyard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT headless)
install(TARGETS halyard-desktop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/halyard
    COMPONENT desktop)
# Stripped as Debian's own tools strip a program: the compiler's .comment section goes too.
foreach(_program headless|${CMAKE_INSTALL_BINDIR}/halyard
        desktop|${CMAKE_INSTALL_LIBEXECDIR}/halyard/halyard-desktop)
    string(REPLACE "|" ";" _program "${_program}")
    list(GET _program 0 _component)
    list(GET _program 1 _path)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_path}\"
        COMMAND_ERROR_IS_FATAL ANY)
endif()" COMPONENT ${_component})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
install(FILES ${PROJECT_BINARY_DIR}/resources/halyard-headless.service
    DESTINATION ${HALYARD_SYSTEMD_USER_UNIT_DIR} COMPONENT headless)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/halyard.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME halyard COMPONENT desktop)
# The bus interfaces, where D-Bus tools look for them; the headless program serves them too.
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.xml
    ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.Queue.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces COMPONENT headless)
# The manifest the setup steps tell users to paste into Slack, where they can find it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/slack-app-manifest.json
    DESTINATION ${CMAKE_INSTALL_DATADIR}/halyard COMPONENT desktop)

# Every binary package carries the copyright and changelog in /usr/share/doc/<package>; a
# second package calls this with its own name.
function(halyard_install_package_docs package component)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_docsDir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()
halyard_install_package_docs(halyard desktop)
halyard_install_package_docs(halyard-headless headless)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL headless desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME halyard)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME halyard-headless)
set(CPACK_PACKAGE_NAME halyard)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The first line is the package's summary; then one line per line of the control file, each at
# most 80 columns with its leading space (lintian's limit).
set(_about
    "Halyard joins one Slack workspace as a Slack app and turns chosen bot\n"
    "messages into alerts that age from fresh to overdue until acknowledged,\n"
    "and an acknowledgement shows in Slack as a reaction.\n"
    ".\n")
string(JOIN "" CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "Slack alerts you have to acknowledge\n" ${_about}
    "This package holds the desktop program: a small floating panel that stays\n"
    "above other windows.")
string(JOIN "" CPACK_COMPONENT_HEADLESS_DESCRIPTION
    "Slack alerts you have to acknowledge (command and service)\n" ${_about}
    "This package holds the halyard command and the headless program, with a\n"
    "systemd unit, for servers: it needs no display and no GUI libraries.")
set(CPACK_PACKAGE_CONTACT "Corvane <halyard@corvane.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/corvane/halyard)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Library dependencies come from the linked libraries (dpkg-shlibdeps); the Qt plugins the
# programs load come with them: xcb (the platform the desktop asks for), TLS and network
# reachability with libqt6gui6 and libqt6network6. Named here is what is loaded at run time and
# linked by nothing: the Secret Service client, which QtKeychain opens itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_DEPENDS "libsecret-1-0")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "halyard-headless (= ${PROJECT_VERSION})")
# What most desktops want and the program does without: colour emoji (plain glyphs otherwise),
# the SVG icon engine for theme icons, xdg-open for links, Wayland where no XWayland runs, and a
# Secret Service to keep the tokens in. A server may hand the tokens over as credentials instead.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS
    "fonts-noto-color-emoji, libqt6svg6, xdg-utils, qt6-wayland, gnome-keyring | kwalletmanager")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SUGGESTS "gnome-keyring")
set(CPACK_STRIP_FILES ON)
include(CPack)
