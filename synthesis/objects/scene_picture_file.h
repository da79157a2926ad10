#pragma once
// Reading a *.bmp picture for the bitmap test object: the file through the platform's
// bitmap reader (any depth it takes: 1, 4 and 8 bits with a colour table, 24 and 32 bits),
// turned into the scene's 24-bit pixels, row 0 at the top.

#include <memory>
#include <string>

#include "synthesis/objects/bitmap_scene.h"

class TODib;

// The picture of the file, and the bitmap for drawing it. false, with both empty and the
// reason in `error`, when the file cannot be opened, is no bitmap the reader takes, is
// truncated, or memory runs out.
bool ReadScenePicture(const std::string &fileName, std::unique_ptr<TODib> &dib,
                      TScenePicture &picture, std::string &error);
// The pixels of a bitmap read already; false when it is not valid or memory runs out.
bool ScenePictureOf(const TODib &dib, TScenePicture &picture);
