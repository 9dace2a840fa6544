list(APPEND AUDREL_CORE_SOURCES
  src/platform/errors.cpp
  src/platform/smallfile.cpp
  src/platform/prompts/prompts.cpp
  src/platform/shell/shell.cpp
  src/platform/ini/inifile.cpp
  src/platform/lame/lameenc.h
  src/platform/lame/lameenc.cpp
  src/platform/msaudio/msaudioengine.cpp
  src/platform/msaudio/msaudiodecodeengine.cpp
  src/platform/msaudio/msaudioencodeengine.cpp
  src/platform/xaudio/exaudioexception.h
  src/platform/xaudio/xaudionotifywindow.cpp
  src/platform/xaudio/xaudioplayer.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/platform/prompts/dialogprompts.cpp
  src/platform/shell/desktopshell.cpp
  src/platform/msaudio/msaudio2wave.cpp
  src/platform/msaudio/msaudioenc.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/platform/ipc/handoverserver.cpp
)
