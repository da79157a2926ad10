#pragma once
// DXF files of our own for the tests of the light source's import and its set-up folder.

// Our own DXF: two layers and two triangles, with subclass markers, one face with a fourth
// corner apart from the third.
inline constexpr const char *kTwoTriangles =
    "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n2\n"
    "  0\nLAYER\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\nHOT\n 70\n0\n"
    " 62\n1\n  6\nCONTINUOUS\n"
    "  0\nLAYER\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\nCOLD\n 70\n0\n"
    " 62\n5\n  6\nCONTINUOUS\n"
    "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
    "  0\n3DFACE\n  5\n2A\n100\nAcDbEntity\n  8\nCOLD\n100\nAcDbFace\n"
    " 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n0.0\n 21\n10.0\n 31\n0.0\n"
    " 12\n0.0\n 22\n0.0\n 32\n5.0\n 13\n0.0\n 23\n0.0\n 33\n5.0\n"
    "  0\n3DFACE\n  5\n2B\n100\nAcDbEntity\n  8\nHOT\n100\nAcDbFace\n"
    " 10\n1.5\n 20\n-2\n 30\n0.25\n 11\n1.5\n 21\n3e1\n 31\n0\n"
    " 12\n1.5\n 22\n-2\n 32\n4.75\n 13\n9.0\n 23\n9.0\n 33\n9.0\n"
    "  0\nENDSEC\n  0\nEOF\n";
