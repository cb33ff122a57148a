# Installation and the Debian package.
#
# `cmake --install` lays the program out as one self-contained folder, since
# the program finds its lists, pages and pictures beside its executable:
#
#   PREFIX/lib/quorvane/                 quorvane, qvtool, the lists, pages,
#                                        pictures and ZIP data (QV_INSTALL_DIR)
#   PREFIX/bin/quorvane, bin/qvtool      relative links into that folder
#   PREFIX/share/applications/quorvane.desktop
#   PREFIX/share/icons/hicolor/NxN/apps/quorvane.png
#
# `cpack -G DEB` (or the `package` target) builds the Debian package of the
# same tree under /usr.

include(GNUInstallDirs)

set(QV_INSTALL_DIR "lib/quorvane" CACHE STRING
    "The program's folder, relative to the installation prefix")

# qv_install_program(TARGET): the executable into the program's folder and a
# relative link to it into bin/, so that the program, started through the
# link, still finds its files beside the executable.
function(qv_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${QV_INSTALL_DIR})
    file(RELATIVE_PATH to_program /${CMAKE_INSTALL_BINDIR} /${QV_INSTALL_DIR}/${target})
    set(link ${CMAKE_BINARY_DIR}/install-links/${target})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
    file(CREATE_LINK ${to_program} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_CONTACT "Quorvane developers <developers@quorvane.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write to elected officials and heads of state")
# Wrapped by hand: the control file's extended description keeps its lines.
set(CPACK_PACKAGE_DESCRIPTION "Quorvane ships lists of officials (the US Senate and House, world\n\
leaders, world parliaments), lets the user tick recipients, write one\n\
message with contact details and attachments, and delivers it through\n\
the user's own SMTP server. Officials' pages and web contact forms open\n\
in a browser pane, and an updater fetches newer lists.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quorvane.org/")
# dpkg-shlibdeps declares the libraries, and through the browser engine's
# library also the package of its helper process (libqt6webenginecore6-bin).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries load at run time, which dpkg-shlibdeps cannot see: Qt's
# platform plugins (only recommended by libqt6gui6, yet without them no
# window opens) and libsecret, which the keyring library opens to reach the
# desktop's Secret Service. They are added to the discovered list.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
include(CPack)
