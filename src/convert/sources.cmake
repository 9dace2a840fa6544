list(APPEND AUDREL_CORE_SOURCES
  src/convert/exaudioexception.h
  src/convert/lamecoder.cpp
  src/convert/mp3settings.cpp
  src/convert/xaudionotifywindow.cpp
  src/convert/xaudioplayer.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/convert/cvtitem.h
  src/convert/conversiondialog.cpp
  src/convert/convertform.cpp
  src/convert/form_wavtomp3.cpp
)
