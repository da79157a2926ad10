#include "toolkit/texteditor/editor_glyphs.h"

#include "platform/gui/bars/glyph_painter.h"
#include "toolkit/texteditor/o_editor.h"

namespace {

struct TGlyph {
  UINT command;
  const char *rows[15];  // kGlyphHeight rows of kGlyphWidth codes
};

// '.' button face, '#' black, 'w' white, 'g' grey, 'b' blue, 'y' yellow, 'r' red.
const TGlyph kGlyphs[] = {
    {CM_FILENEW, {"................", "...#######......", "...#wwwww##.....", "...#wwwww#w#....",
                  "...#wwwww####...", "...#wwwwwwww#...", "...#wwwwwwww#...", "...#wwwwwwww#...",
                  "...#wwwwwwww#...", "...#wwwwwwww#...", "...#wwwwwwww#...", "...#wwwwwwww#...",
                  "...#wwwwwwww#...", "...##########...", "................"}},
    {CM_FILEOPEN, {"................", "..........###...", ".........#...#.#", "..............##",
                   ".###.........###", "#yyy#######.....", "#yyyyyyyyy#.....", "#yyyy###########",
                   "#yyy#yyyyyyyyy#.", "#yy#yyyyyyyyy#..", "#y#yyyyyyyyy#...", "##yyyyyyyyy#....",
                   "###########.....", "................", "................"}},
    {CM_FILESAVE, {"................", ".#############..", ".#bb#wwwww#bb#..", ".#bb#wwwww#bb#..",
                   ".#bb#wwwww#bb#..", ".#bb#wwwww#bb#..", ".#bbb#####bbb#..", ".#bbbbbbbbbbb#..",
                   ".#bb#######bb#..", ".#bb#gg##g#bb#..", ".#bb#gg##g#bb#..", ".#bb#gg##g#bb#..",
                   "..############..", "................", "................"}},
    {CM_EDITCUT, {"................", "....#.....#.....", "....#.....#.....", "....#.....#.....",
                  "....##...##.....", ".....#...#......", ".....##.##......", "......###.......",
                  "......#.#.......", "....###.###.....", "...#..#.#..#....", "...#..#.#..#....",
                  "...#..#.#..#....", "....##...##.....", "................"}},
    {CM_EDITCOPY, {"................", "#######.........", "#wwwww##........", "#w###w#w#.......",
                   "#wwwww#######...", "#w####wwwww##...", "#wwwww#w###w#w#.", "#w####wwwww####.",
                   "#wwwww#w#####w#.", "#######wwwwwww#.", "......#w#####w#.", "......#wwwwwww#.",
                   "......#########.", "................", "................"}},
    {CM_EDITPASTE, {"................", ".....####.......", "#####w##w####...", "#yyy#wwww#yyy#..",
                    "#yy#########y#..", "#yy#wwwwwww#y#..", "#yy#w####ww#y#..", "#yy#wwwwwww#y#..",
                    "#yy#w#####w#y#..", "#yy#wwwwwww#y#..", "#yy#w####ww#y#..", "#yy#wwwwwww#y#..",
                    "#############...", "................", "................"}},
    {CM_EDITFIND, {"................", "....####........", "...#wwww#.......", "..#ww..ww#......",
                   "..#w....w#......", "..#w....w#......", "..#ww..ww#......", "...#wwww##......",
                   "....#####.#.....", "..........##....", "...........##...", "............##..",
                   ".............#..", "................", "................"}},
    {CM_EDITREPLACE, {"................", "..####..........", ".#ww..#.........", ".#w...#.....#...",
                      ".#ww.##......#..", "..#####.######..", "......##.....#..", ".......##...#...",
                      "........rrrrrr..", "........r....r..", "........r.rr.r..", "........r....r..",
                      "........rrrrrr..", "................", "................"}},
    {CM_EDITFINDNEXT, {"................", "..####..........", ".#ww..#.........", ".#w...#.........",
                       ".#ww.##.........", "..#####..#......", "......##.##.....", ".......##.##....",
                       "..........##....", ".........##.....", ".........#......", "................",
                       "................", "................", "................"}},
    {CM_EDITORPRINT, {"................", "....#######.....", "....#wwwww#.....", "....#w###w#.....",
                      "....#wwwww#.....", "..###########...", ".#ggggggggggg#..", ".#ggggggggyyg#..",
                      ".#ggggggggggg#..", ".#############..", "..#wwwwwwwww#...", "..#w#####www#...",
                      "..#wwwwwwwww#...", "..###########...", "................"}},
    {CM_EXIT, {"................", ".#########......", ".#.......#......", ".#.......#..#...",
               ".#.......#..##..", ".#.....########.", ".#.....#######..", ".#.....######...",
               ".#.......#..#...", ".#.......#......", ".#.......#......", ".#########......",
               "................", "................", "................"}},
};

constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;
constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);

COLORREF Colour(char code) {
  switch (code) {
    case '#': return RGB(0, 0, 0);
    case 'w': return RGB(0xFF, 0xFF, 0xFF);
    case 'g': return RGB(0x80, 0x80, 0x80);
    case 'b': return RGB(0x00, 0x00, 0x80);
    case 'y': return RGB(0xFF, 0xFF, 0x00);
    case 'r': return RGB(0xC0, 0x00, 0x00);
    default: return kFace;
  }
}

}  // namespace

void RegisterEditorGlyphs() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const TGlyph &glyph : kGlyphs) {
    const TResId name(glyph.command);
    if (HasBitmapResource(name)) continue;
    TGlyphPainter painter(kGlyphWidth, kGlyphHeight, kFace);
    for (int y = 0; y < kGlyphHeight; ++y) {
      for (int x = 0; x < kGlyphWidth; ++x) painter.SetPixel(x, y, Colour(glyph.rows[y][x]));
    }
    painter.Register(name);
  }
}
