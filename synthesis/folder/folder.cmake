# The image-synthesis folder, its Settings page and the synthesis it runs.
