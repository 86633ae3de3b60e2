# Copies the link map IN to OUT with the build folder written /ZRKTempDll/build and the
# source folder /ZRKTempDll, as the compiler writes them into the objects.
# Usage: cmake -DIN=... -DOUT=... -DBUILD_DIR=... -DSOURCE_DIR=... -P KitMap.cmake
file(READ ${IN} map)
string(REPLACE "${BUILD_DIR}/" "/ZRKTempDll/build/" map "${map}")
string(REPLACE "${SOURCE_DIR}/" "/ZRKTempDll/" map "${map}")
file(WRITE ${OUT} "${map}")
