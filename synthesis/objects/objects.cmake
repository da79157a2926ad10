# Test objects: their rasters (core) and their dialogs with the Object page (folder).
