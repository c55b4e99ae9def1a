# Installs the three programs with their menu entry, icon, metadata and manuals, and makes a
# Debian package of them with cpack. Run from the top level, after the programs' targets.
include(GNUInstallDirs)

set(VEMIX_PACKAGE_NAME vemix-test)
# Debian revision of the package; back to 1 with every new version.
set(VEMIX_PACKAGE_RELEASE 1)
# A stand-in until the project names its maintainer.
set(VEMIX_MAINTAINER "Vemix_Test maintainers <maintainers@example.org>")

install(TARGETS vemix-test vemix-printer vemix-send RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
add_subdirectory(packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VEMIX_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VEMIX_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEMIX_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VEMIX_HOMEPAGE})
# Library dependencies come from dpkg-shlibdeps. The window names Big5 Ming faces, which this
# font supplies; without it the Chinese captions fall back to whatever the system has.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcrypto is opened only when an e-invoice is made, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3 (>= 3.0)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[test utility for invoice and receipt printers
One window for testing invoice and receipt printers at the counter: choose the
printer's command set (EPSON, START or TP-3688), the port (COM1 to COM4, LPT1,
LPT2) and the serial speed, then press a button to print a line of Big5 text,
feed lines or a page, open the cash drawer, cut the paper, print a test page or
a sample invoice, or repeat invoices and cuts.

The package also holds vemix-printer, a virtual receipt printer on a
pseudo-terminal that shows what a printer would print, for trying the program
without one, and vemix-send, which sends the window's test pages (rulers,
styles, Chinese text, barcodes, QR codes, images, the e-invoice proof) from
the command line.]=])
include(CPack)
