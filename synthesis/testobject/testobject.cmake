area_sources(SYNTHESIS synthesis_windows.cpp test_image.cpp test_object.cpp
             test_object_signal.cpp test_object_show.cpp)
