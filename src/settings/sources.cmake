list(APPEND AUDREL_CORE_SOURCES
  src/settings/settings.cpp
)
