# Cross build for 32-bit Windows (the product: every Windows from 95 to 11).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
