# `cpack -G DEB` in the build folder packs what `cmake --install` installs.
# The libraries the programs link are found by dpkg-shlibdeps; rcs is the
# one dependency it cannot see, since it is only ever run.
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR Fenwycliff)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop front end to GNU RCS")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestro shows a project of working files and their RCS histories as a tree, runs the RCS programs for you and exchanges releases between sites. The package holds the desktop program kestro and the command line kestro-cli.")
set(CPACK_PACKAGE_CONTACT "Kestro developers")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS rcs)
include(CPack)
