# Movies: the AVI container, its pictures and the Motion JPEG coder are file code without
# windows (viewer3d_core); the writer TOAviStream, its codec dialog and the player TPavi
# stand on the window layer (viewer3d).
area_sources(VIEWER3D_CORE avi_picture.cpp jpeg_codec.cpp avi_file_writer.cpp avi_movie_writer.cpp
  avi_reader.cpp)
area_tests(VIEWER3D_CORE tests/avi_file_test.cpp)
area_sources(VIEWER3D avi_codec_dlg.cpp o_avi_stream.cpp pavi.cpp viewer_movie.cpp)
area_tests(VIEWER3D tests/o_avi_stream_test.cpp tests/pavi_test.cpp tests/viewer_movie_test.cpp)
