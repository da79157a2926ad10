area_sources(VIEWER3D section_dlg.cpp)
