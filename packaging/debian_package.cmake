# The Debian package: `cpack -G DEB` in the build folder, or `cmake --build BUILD --target
# package`. It holds the install layout under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravendock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ravendock developers")
set(CPACK_PACKAGE_CONTACT "Ravendock developers <ravendock@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare many IP cameras on a local network at once")
set(CPACK_PACKAGE_DESCRIPTION
    "Ravendock finds the IP cameras and video recorders on the local network,
lists them in one table and runs batch instructions on the checked ones:
re-addressing them in the PC's subnet, firmware upgrade, clock sync,
formatting, factory restore, reboot and pushing a whole set of settings.
It also previews their live video.

The package includes camsim, a simulator of a network of cameras on
loopback.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The programs and libraries go stripped; their debug symbols stay in the build tree.
set(CPACK_STRIP_FILES ON)

# The runtime packages of every library a release build of the programs and our two libraries
# links directly: Qt, FFmpeg's codec library and scaler, TinyXML, libxml2, OpenSSL's crypto
# library, libcurl and libavformat (the device library's ONVIF backend), and the C and C++ runtimes. A
# debug build also links Qt's OpenGL and network libraries directly; the Qt packages named here
# depend on those already. Kept by hand; the install test checks it against the built binaries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libgcc-s1, libstdc++6, libqt6core6, libqt6gui6, libqt6widgets6, libqt6multimedia6, libavcodec59, libavutil57, libswscale6, libtinyxml2.6.2v5, libxml2, libssl3, libcurl4, libavformat59")

include(CPack)
