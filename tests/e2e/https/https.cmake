# The download cases' Windows helpers: certadd puts the bench's throw-away CA into the Wine
# prefix's trusted roots (and takes it out), holdopen keeps a file open during a run.
add_executable(certadd ${CMAKE_CURRENT_LIST_DIR}/certadd.cpp)
target_link_libraries(certadd PRIVATE crypt32)

add_executable(holdopen ${CMAKE_CURRENT_LIST_DIR}/holdopen.cpp)
