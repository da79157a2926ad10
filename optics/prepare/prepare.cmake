# The prepare area readies a system for tracing (TOpticalSystem::Prepare and the materials):
# indices, mirror signs, curvatures, pipe walls, thermal expansion. It uses optics/model,
# optics/interaction, optics/pipe and optics/systemfile.
area_sources(OPTICS system_prepare.cpp working_wavelength.cpp)
area_tests(OPTICS tests/system_prepare_test.cpp tests/working_wavelength_test.cpp)
