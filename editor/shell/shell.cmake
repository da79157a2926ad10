area_sources(EDITOR about_dlg.cpp editor_menu.cpp editor_startup.cpp optical_editor.cpp
             session_restore.cpp splash_picture.cpp splash_window.cpp)
area_tests(EDITOR tests/optical_editor_test.cpp tests/optical_editor_files_test.cpp
           tests/editor_startup_test.cpp tests/optical_editor_launchers_test.cpp
           tests/session_restore_test.cpp tests/editor_session_test.cpp
           tests/optical_editor_psf_test.cpp tests/optical_editor_synthesis_test.cpp tests/editor_road_test.cpp tests/user_road_test.cpp
           tests/optical_editor_viewer_test.cpp tests/analysis_windows_test.cpp tests/window_grab_test.cpp tests/outside_close_test.cpp
           tests/temporary_directory_road_test.cpp tests/field_keys_test.cpp
           tests/optimization_setup_road_test.cpp)
