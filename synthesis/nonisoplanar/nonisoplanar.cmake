# The non-isoplanar synthesis: image-to-object maps of the turned system, node PSFs, their
# resampling and look-up, and the superposition (core); the editor's turning of its system
# for the folder (folder library).
area_sources(SYNTHESIS image_object_maps.cpp node_psfs.cpp node_psf_resample.cpp
             node_psf_lookup.cpp superposition.cpp nonisoplanar_synthesis.cpp)
area_tests(SYNTHESIS tests/nonisoplanar_maths_test.cpp tests/nonisoplanar_optics_test.cpp)
area_sources(SYNTHESIS_FOLDER folder_nonisoplanar.cpp)
area_tests(SYNTHESIS_FOLDER tests/folder_nonisoplanar_test.cpp)
