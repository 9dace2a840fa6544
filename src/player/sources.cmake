list(APPEND AUDREL_UI_SOURCES
  src/player/slider.cpp
  src/player/playerform.cpp
  src/player/playmp3form.cpp
  src/player/mediaplayerform.cpp
  src/player/playwavform.cpp
  src/player/playwmaform.cpp
  src/player/playaudioform.cpp
)
