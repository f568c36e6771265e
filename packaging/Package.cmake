# The Debian package that scripts/package makes with CPack: what cmake
# --install puts under /usr, with the dependencies that dpkg-shlibdeps finds
# for the programs and the codec library.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Trovex developers <trovex@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "translate or modify a game's resource files")
# The long description below the summary; CPack indents its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Trovex extracts a game's resource files (archives, string tables, fonts,
compressed sounds, movies and KEY indexes) into everyday editable files:
plain text, Windows bitmaps, ACM and wave sound. It records every file it
wrote in a job log, and replaying that log after editing puts the edited
contents back, byte for byte where nothing was edited.
.
The package holds the desktop window (trovex) and the command-line front
end for scripts (trovex-cli).")
# The window needs a platform plugin, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)  # the "-1" of the changelog's version
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_THREADS 2)
include(CPack)
