list(APPEND AUDREL_CORE_SOURCES
  src/settings/settings.cpp
  src/settings/uistate.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/settings/optionform.cpp
)
