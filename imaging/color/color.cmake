area_sources(IMAGING color_rgb.cpp color_image.cpp color_image_build.cpp density_color_image.cpp)
area_tests(IMAGING tests/color_rgb_test.cpp tests/color_image_test.cpp)
