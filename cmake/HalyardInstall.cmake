# Installs the desktop program with what a Linux desktop needs to list, launch and describe it,
# and packages it as a .deb. Only the halyard program is installed: the simulator, tests,
# benchmarks and fuzzers stay in the build tree.
include(GNUInstallDirs)

# Not CMAKE_INSTALL_LIBDIR: systemd looks in lib/systemd/user, never in a multiarch folder.
# Relative to the prefix, so a changed prefix moves it along.
set(HALYARD_SYSTEMD_USER_UNIT_DIR "lib/systemd/user" CACHE STRING
    "Where the systemd user unit goes, relative to the prefix or absolute (pkg-config systemd: systemduserunitdir)")

# The metainfo names the release it describes; a version bump without a release entry would
# ship a package whose software centre page lists an older version.
file(READ ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.metainfo.xml _metainfo)
if(NOT _metainfo MATCHES "<release version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "resources/com.corvane.Halyard.metainfo.xml has no <release> for "
        "${PROJECT_VERSION}")
endif()

set(HALYARD_INSTALL_FULL_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
configure_file(${PROJECT_SOURCE_DIR}/resources/halyard-headless.service.in
    ${PROJECT_BINARY_DIR}/resources/halyard-headless.service @ONLY)

install(TARGETS halyard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.corvane.Halyard.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_BINARY_DIR}/resources/halyard-headless.service
    DESTINATION ${HALYARD_SYSTEMD_USER_UNIT_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halyard)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Slack alerts you have to acknowledge")
set(CPACK_PACKAGE_DESCRIPTION
    "Halyard joins one Slack workspace as a Slack app and turns chosen bot messages into\n"
    "alerts in a small floating panel that stays above other windows. Alerts age from fresh\n"
    "to overdue until acknowledged, and an acknowledgement shows in Slack as a reaction.\n"
    "It also runs headless as a systemd user service.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "Corvane <halyard@corvane.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/corvane/halyard)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from the linked libraries (dpkg-shlibdeps); these two are loaded
# at run time and never linked: the Secret Service client and the emoji font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsecret-1-0, fonts-noto-color-emoji")
set(CPACK_STRIP_FILES ON)
include(CPack)
