# Stand-ins for GnuPG's programs that the installed-mode cases need beyond argslog: gpgstub
# writes output shaped byte by byte, unixbridge runs the real Linux GnuPG program.
add_executable(gpgstub ${CMAKE_CURRENT_LIST_DIR}/gpgstub.cpp)
add_executable(unixbridge ${CMAKE_CURRENT_LIST_DIR}/unixbridge.cpp)
