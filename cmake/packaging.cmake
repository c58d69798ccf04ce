# The Debian package of the Linux program, built by `cpack -G DEB` from the install rules
# (scripts/package). Dependencies come from the libraries the program links (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pakscour)
set(CPACK_PACKAGE_VENDOR Vantorix)
set(CPACK_PACKAGE_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_CONTACT "Pakscour Maintainers <packages@vantorix.test>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "move downloaded extra archives out of Call of Duty games")
# Debian wants the long description wrapped below 80 columns; empty lines separate paragraphs.
# No double quotes: CPack would write them into the control file as list separators.
set(CPACK_PACKAGE_DESCRIPTION [=[
When you join game servers, Call of Duty, its expansion United Offensive and
Call of Duty 2 download extra content archives (.pk3 and .iwd files) into
their content folders, and pure servers then turn the game away as an unpure
client.

Pakscour finds these games in a Wine prefix from the registry entries their
installers wrote, lists every archive in the chosen game's content folder
that is not one the game shipped with, and moves those into a new backup
folder named after the date and time. Each file moves there by one rename
within its drive, so a clean needs no free space and nothing is lost.]=])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A utility for games: Debian's games section is for games themselves, installed in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.vantorix.test/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The layouts are measured in Arial's metrics, which Liberation Sans has; dpkg-shlibdeps adds
# the libraries' packages after it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
