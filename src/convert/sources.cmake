list(APPEND AUDREL_CORE_SOURCES
  src/convert/exaudioexception.h
  src/convert/xaudionotifywindow.cpp
  src/convert/xaudioplayer.cpp
)
