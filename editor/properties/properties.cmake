# The system's properties: the pages' models without windows (model library) and the
# folder, its pages and the general-information window (windows library).
area_sources(EDITOR_MODEL property_edit.cpp surface_table_model.cpp general_info_model.cpp beams_model.cpp
             properties_settings.cpp variables_model.cpp grid_page_model.cpp aspherics_model.cpp surface_type_conversion.cpp
             positions_model.cpp bounds_model.cpp hoe_model.cpp lens_array_model.cpp object_pupil_model.cpp)
area_tests(EDITOR_MODEL tests/surface_table_model_test.cpp tests/property_pages_model_test.cpp
           tests/properties_settings_test.cpp tests/variables_model_test.cpp
           tests/surface_pages_model_test.cpp tests/system_pages_model_test.cpp)
area_sources(EDITOR properties_table.cpp properties_pages.cpp system_properties_folder.cpp
             properties_general_info_dlg.cpp properties_commands.cpp variables_dlg.cpp
             properties_grid_page.cpp)
area_tests(EDITOR tests/system_properties_folder_test.cpp tests/variables_dlg_test.cpp)
