list(APPEND AUDREL_UI_SOURCES
  src/player/slider.cpp
)
