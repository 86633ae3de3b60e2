# Logic without <windows.h>: built into the plug-in and, natively, for sanitizers
# and fuzzers.
set(PORTABLE_SOURCES
  config/ClickPoint.cpp
  config/ConfigLine.cpp
  config/ConfigScanner.cpp
  messaging/ChannelMessage.cpp
  messaging/QueueSection.cpp
  skin/ColorKeyRuns.cpp
  tools/DoctorReport.cpp
  tools/PeImage.cpp
  util/AddressChoice.cpp
  util/FieldSplit.cpp
  util/LetterCodec.cpp
  util/VersionNumber.cpp
)

function(add_portable_units target)
  add_library(${target} STATIC ${PORTABLE_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
