# The configuration XML layer and the readers of profiles, crypto templates and flag descriptors.
zrx_fuzz(xml_config SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/xml_config_fuzz.cpp LIBS zrx_core_config)
