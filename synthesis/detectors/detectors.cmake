# The detector models' maths (core); the Detector page, its inner folder, the type chooser
# and the models' dialogs (folder).
area_sources(SYNTHESIS element_detectors.cpp
             array_detectors.cpp matrix_detector.cpp line_detectors.cpp
             transformer_file.cpp transformer_detectors.cpp scan_simulation.cpp)
area_tests(SYNTHESIS tests/element_detectors_test.cpp tests/scan_simulation_test.cpp
           tests/line_detectors_test.cpp
           tests/matrix_detector_test.cpp tests/transformer_detectors_test.cpp)
area_sources(SYNTHESIS_FOLDER element_detector_dlgs.cpp array_detector_dlgs.cpp
             transformer_detector_dlgs.cpp detector_type_dlg.cpp detector_noise_dlg.cpp
             detector_scanner_dlg.cpp test_detector.cpp)
area_tests(SYNTHESIS_FOLDER tests/test_detector_test.cpp tests/detector_scanner_test.cpp)
